#pragma once
#include <stdexcept>

namespace norvo {

// The root of every failure the program raises itself: the database layer's (db::Error), the
// staging table's (staging::Error) and the text helpers'. The message is what the operator
// sees or the logs keep.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace norvo

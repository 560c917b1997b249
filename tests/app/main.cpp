// The window tests run on the offscreen platform: no display needed.
#include <cstdlib>

#include "ExecutarTestes.h"

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return norvo::app::teste::executarTestes(argc, argv, "test_app_");
}

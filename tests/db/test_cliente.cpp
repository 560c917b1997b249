#include "db/Cliente.h"
#include "db/Error.h"

#include <gtest/gtest.h>

using namespace norvo;

// The client library is found only while the program runs: one that is not there is the
// layer's own failure, worded with the name it was looked for under; a library that loads
// but is not Firebird's client is passed over for the next place.
TEST(Cliente, AusenteDaOTextoDeFalhaComSeuNomeEOutraBibliotecaNaoServe)
{
    try {
        db::Cliente c({"libfbclient-inexistente.so.9", "/nao/existe/fbclient.dll"}, "libfbclient-inexistente.so.9");
        FAIL() << "loaded a library that does not exist";
    } catch (const db::ClienteAusente& e) {
        EXPECT_STREQ(e.what(), "Firebird client library libfbclient-inexistente.so.9 not found in the path. Please "
                               "install the Firebird client to use this functionality");
    }
#ifndef _WIN32
    EXPECT_THROW(db::Cliente({"libm.so.6"}, "libfbclient.so.2"), db::ClienteAusente);
    EXPECT_NO_THROW(db::Cliente({"libm.so.6", "libfbclient.so.2"}, "libfbclient.so.2"));
#endif
}

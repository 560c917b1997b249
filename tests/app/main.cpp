// The window tests run on the offscreen platform: no display needed.
#include <QtGlobal>

#include "ExecutarTestes.h"

int main(int argc, char** argv)
{
    // Set here rather than outside: Wine does not pass QT_* variables to a Windows program.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return norvo::app::teste::executarTestes(argc, argv, "test_app_");
}

// The program's main block.
#include "app/About.h"
#include "app/unMain.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageBox.h"

#include <clocale>

int main(int argc, char **argv)
{
    // The units have initialised before this point: each registered its
    // windows with the menu's form registry.
    platform::Application application(argc, argv);
    // Numbers held as text always use '.', whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    platform::SetApplicationTitle(TMainForm::ProductTitle());

    TMainForm mainForm;
    if (!mainForm.DatabaseOpened())
        return 1;
    TAboutBox aboutBox;
    AboutBox = &aboutBox;

    mainForm.showMaximized();
    const int result = application.exec();
    AboutBox = nullptr;
    return result;
}

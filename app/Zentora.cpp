// The program's entry: everything else happens in the main window.
#include <windows.h>

#include "Automation.h"
#include "FormMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    ComApartment com;  // the theme folder is listed through an automation object
    FormMain form(instance);
    return form.Run(showCommand);
}

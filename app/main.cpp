#include "app/capp_main.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    return lw::runApplication(argc, argv, [] {
        lw::CappMain theApp;
        return theApp.InitInstance();
    });
}

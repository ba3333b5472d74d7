#include "app/CZelmarineApp.h"

int main(int argc, char** argv) {
    return zel::CZelmarineApp().Run(argc, argv);
}

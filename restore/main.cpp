#include "restore_app.h"

int main(int argc, char** argv) {
    CEudcRestoreApp app;
    return app.Main(argc, argv);
}

#pragma once

namespace zel {

// The application: brings up Qt and the embedded resources, runs the main window modally, and
// ends the process when it closes. There is no event loop beyond the main window's own.
class CZelmarineApp {
public:
    int Run(int argc, char** argv);
};

} // namespace zel

#include "resources/Resources.h"

#include <QtCore/qglobal.h>
#include <mutex>

// The resource data is compiled into zel_gui, a static library: nothing references its
// registration object, so the linker would drop it unless someone calls the initialiser.
static void InitZelmarineResources() {
    Q_INIT_RESOURCE(zelmarine);
}

namespace zel {

void InitResources() {
    static std::once_flag once;
    std::call_once(once, InitZelmarineResources);
}

} // namespace zel

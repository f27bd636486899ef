// Callback names the layouts bind whose behaviour is not written yet. They are registered as
// callbacks that do nothing, so that the panels load and the program runs; the area that
// implements one removes its name here and registers the real function in its own file.

#include "app/shell/CallbackRegistry.h"
#include "app/shell/ScopeApp.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

constexpr const char* kPendingNames[] = {

    "CC_WriteXFLASH",
};

int doNothing(ScopeApp&, int, int, int, void*, int, int) {
    return 0;
}

}  // namespace

void registerPendingCallbacks(ScopeApp& app) {
    for (const char* name : kPendingNames) bindCallback(app, QString::fromLatin1(name), doNothing);
}

}  // namespace korvo

// A host outside the tree: built against an installed engine to prove that
// find_package(morvane) and the public header are enough.
#include <morvane/morvane.h>

int main() {
    MRV_CreateImage(nullptr, 4, 4, 4, 0);
    const int32_t ok = MRV_CreateLayer(1, 4, 4);
    MRV_DeleteImage();
    return ok == 1 ? 0 : 1;
}

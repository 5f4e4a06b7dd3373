// Creation and destruction of the digest object: the engine library is put beside the
// program from the image the program carries.
#include "digest/clsMD5.h"
#include "digest/engine_binding.h"
#include "runtime/files.h"
#include "runtime/library.h"
#include "runtime/resources.h"

namespace digest {

void clsMD5::Class_Initialize() {
    // "/" even after a root directory's separator: the platform reads the doubled one fine.
    mEnginePath = runtime::ProgramDirectory() + "/" + runtime::kEngineFileName;
    // The write is best effort: its result is always True, and a failure shows at the first
    // engine call instead.
    ExtractResourceToFile(mEnginePath, 101, "DLL");
}

void clsMD5::Class_Terminate() {}

bool clsMD5::ExtractResourceToFile(const std::string& targetPath, int resourceId, const std::string& typeName) {
    const auto image = runtime::LoadResourceData(resourceId, typeName);  // errors reach the caller
    try {
        // A loaded engine's file is never touched: rewriting a mapped library can crash the
        // process that maps it.
        if (engine::IsLoaded()) return true;
        if (runtime::FileHoldsExactly(targetPath, image)) return true;
        if (runtime::IsReadOnlyFile(targetPath)) return true;
        runtime::ReplaceFileAtomically(targetPath, image);
    } catch (...) {
        // Best effort: a missing engine shows at the first engine call, naming the file.
    }
    return true;
}

}  // namespace digest

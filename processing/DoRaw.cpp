#include "processing/DoRaw.h"

#include "baton/RawUploadFile.h"
#include "processing/ProcessRawFile.h"
#include "processing/StoreUpload.h"
#include "processing/Workspace.h"

namespace veltrona {

void DoRaw(Workspace& workspace) {
    const auto raw = RawUploadFile::InWorkDir(workspace.workDir).path();
    StoreUpload(workspace, raw);
    ProcessRawFile(workspace, raw);
}

} // namespace veltrona

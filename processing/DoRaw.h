#pragma once

namespace veltrona {

class Workspace;

// What a finished download does with Raw.txt in the working directory: stores its clockings in
// the day files, then builds the download reports from it.
void DoRaw(Workspace& workspace);

} // namespace veltrona

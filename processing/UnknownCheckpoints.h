#pragma once

#include <string>

namespace veltrona {

class Workspace;

// The user's answer to "Unknown checkpoints have been found".
enum class UnknownCheckpointsChoice {
    ExistingSite, // "Place in existing site"
    NewSite,      // "Place unknown checkpoints in new site"
    Ignore,       // "Ignore unknown checkpoints" (also closing the window)
};

// Whether processing asks: the unknown scratch file holds at least one line and
// DiscardUnknownCheckpoints is off.
bool ShouldAskUnknownCheckpoints(const Workspace& workspace);

// Carries out the choice on the scratch files of the running processing and returns true when
// the dialog closes, false when it stays open for another choice.
//  - ExistingSite: every line of the unknown scratch file is appended to the scratch file of each
//    site index named `selectedSite`; an empty `selectedSite` (nothing selected) shows messages
//    32, 33 and 34 and keeps the dialog open.
//  - NewSite: asks for the name (messages 2 and 3), creates the site (appended to the site list,
//    so the unknown scratch file becomes its scratch file), ensures every site's files and
//    rebuilds the checkpoint table. No action log line. Cancel, an empty name or a site that
//    cannot be created keeps the dialog open.
//  - Ignore: nothing changes; the lines stay in the unknown scratch file.
// File errors throw FileError.
bool PlaceUnknownCheckpoints(Workspace& workspace, UnknownCheckpointsChoice choice,
                             const std::string& selectedSite = {});

} // namespace veltrona

#pragma once

#include "platform/Shell.h"

namespace veltrona {

// Opens documents with the desktop's associated program and trashes through Qt.
class DesktopShell : public Shell {
public:
    void open(const std::filesystem::path& document) override;
    bool moveToTrash(const std::filesystem::path& tree) override;
};

} // namespace veltrona

#include "baton/CycleShared.h"

namespace veltrona {

void CycleShared::SetPendingId(const std::string& id) {
    std::lock_guard lock(mutex_);
    pendingId_ = id;
}

std::string CycleShared::PendingId() const {
    std::lock_guard lock(mutex_);
    return pendingId_;
}

void CycleShared::ClearPendingIdIfStill(const std::string& written) {
    std::lock_guard lock(mutex_);
    if (pendingId_ == written)
        pendingId_.clear();
}

void CycleShared::SetAutoIncrementId(bool on) {
    std::lock_guard lock(mutex_);
    autoIncrementId_ = on;
}

bool CycleShared::AutoIncrementId() const {
    std::lock_guard lock(mutex_);
    return autoIncrementId_;
}

void CycleShared::SetIdDialogText(const std::string& text) {
    std::lock_guard lock(mutex_);
    idDialogText_ = text;
}

std::string CycleShared::IdDialogText() const {
    std::lock_guard lock(mutex_);
    return idDialogText_;
}

std::optional<std::string> CycleShared::AutoIncrement() {
    std::lock_guard lock(mutex_);
    if (!autoIncrementId_ || !pendingId_.empty())
        return std::nullopt;
    bool number = !idDialogText_.empty() && idDialogText_.size() <= 4;
    int value = 0;
    for (char c : idDialogText_) {
        if (c < '0' || c > '9') {
            number = false;
            break;
        }
        value = value * 10 + (c - '0');
    }
    if (!number || value >= 9999) {
        autoIncrementId_ = false;
        return std::nullopt;
    }
    std::string next = std::to_string(value + 1);
    next.insert(0, 4 - next.size(), '0');
    idDialogText_ = next;
    pendingId_ = next;
    return next;
}

void CycleShared::SetBatonIdentity(const std::string& identity, const std::string& versionCode) {
    std::lock_guard lock(mutex_);
    batonIdentity_ = identity;
    versionCode_ = versionCode;
}

std::string CycleShared::BatonIdentity() const {
    std::lock_guard lock(mutex_);
    return batonIdentity_;
}

std::string CycleShared::VersionCode() const {
    std::lock_guard lock(mutex_);
    return versionCode_;
}

void CycleShared::SetIdLabelText(const std::string& text) {
    std::lock_guard lock(mutex_);
    idLabelText_ = text;
}

std::string CycleShared::IdLabelText() const {
    std::lock_guard lock(mutex_);
    return idLabelText_;
}

std::string FourCharacterId(const std::string& id) {
    if (id.size() >= 4)
        return id.substr(0, 4);
    return std::string(4 - id.size(), '0') + id;
}

} // namespace veltrona

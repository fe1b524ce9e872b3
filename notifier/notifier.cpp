#include "notifier/notifier.h"

#include <vector>

#include "notifier/pipe_message.h"

namespace notifier {

int balloonIcon(std::uint32_t typeOrFlags) {
    switch (typeOrFlags) {
        case Warning:
            return kIconWarning;
        case Error:
            return kIconError;
        default:
            return kIconInformation;
    }
}

std::uint32_t balloonFlags(std::int32_t type) {
    return type == Information ? kInfoWithoutSound : static_cast<std::uint32_t>(type);
}

std::uint32_t messageStyle(std::uint32_t flags) {
    switch (flags) {
        case Error:
            return kStyleError;
        case Warning:
            return kStyleWarning;
        default:
            return kStyleInformation;
    }
}

std::u16string fitField(std::u16string_view text, std::size_t fieldChars) {
    const std::size_t room = fieldChars - 1;
    if (text.size() <= room) return std::u16string(text);
    std::size_t cut = room;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] < 0xDC00) --cut;
    return std::u16string(text.substr(0, cut));
}

Notifier::Notifier(TrayShell& shell, SessionMessenger& messenger, Pause& pause)
    : shell_(shell), messenger_(messenger), pause_(pause) {
    record_.id = kIconId;
    record_.callbackMessage = kIconCallbackMessage;
    record_.flags = kIconFlagsAtStart;
}

// Several reader threads show events at once: the record is written under
// the lock, so that the balloon and a later click always see one event's
// text, type and icon together. The wait happens outside it.
bool Notifier::showEvent(std::int32_t type, std::u16string_view text) {
    std::unique_lock guard(lock_);
    if (destroyed_) return false;
    record_.id = kIconId;
    record_.callbackMessage = kIconCallbackMessage;
    record_.infoTitle = fitField(kProductTitle, kInfoTitleChars);
    record_.info = fitField(text, kInfoChars);
    record_.tip = fitField(kProductTitle, kTipChars);
    record_.icon = balloonIcon(static_cast<std::uint32_t>(type));
    record_.infoFlags = balloonFlags(type);
    record_.flags |= kIconFlagInfo;
    record_.timeout = kBalloonTimeoutMs;
    if (!displayEnabled_) {
        record_.icon = 0;
        return false;
    }
    bool shown = false;
    if (iconShown_) {
        shown = shell_.modify(record_);
    } else {
        shown = shell_.add(record_);
        if (shown) iconShown_ = true;
    }
    record_.icon = 0;
    guard.unlock();
    pause_.wait(std::chrono::milliseconds(kBalloonTimeoutMs));
    return shown;
}

void Notifier::refreshIcon() {
    if (!iconShown_) return;
    shell_.remove(record_);
    record_.icon = balloonIcon(record_.infoFlags);
    // A failed add leaves the icon marked not shown, so that the next event
    // adds it again.
    iconShown_ = shell_.add(record_);
    record_.icon = 0;
}

void Notifier::sessionChanged(std::uint32_t code) {
    std::lock_guard guard(lock_);
    switch (code) {
        case ConsoleConnect:
        case SessionUnlock:
            if (!destroyed_) refreshIcon();
            displayEnabled_ = true;
            break;
        case RemoteConnect:
            displayEnabled_ = true;
            break;
        case ConsoleDisconnect:
        case RemoteDisconnect:
        case SessionLock:
            displayEnabled_ = false;
            break;
        default:
            break;
    }
}

void Notifier::iconCallback(std::uintptr_t mouseMessage) {
    if ((mouseMessage & 0xFFFF) != kLeftButtonDown) return;
    std::lock_guard guard(lock_);
    if (destroyed_) return;
    messenger_.send(messageStyle(record_.infoFlags), record_.infoTitle, record_.info);
    shell_.remove(record_);
    iconShown_ = false;
}

void Notifier::destroy() {
    std::lock_guard guard(lock_);
    if (destroyed_) return;
    shell_.remove(record_);
    iconShown_ = false;
    destroyed_ = true;
}

bool Notifier::displayEnabled() const {
    std::lock_guard guard(lock_);
    return displayEnabled_;
}

bool Notifier::iconShown() const {
    std::lock_guard guard(lock_);
    return iconShown_;
}

IconRecord Notifier::record() const {
    std::lock_guard guard(lock_);
    return record_;
}

void serveClient(PipeConnection& connection, Notifier& notifier, Pause& pause,
                 const std::function<void()>& requestDestroy) {
    std::vector<std::uint8_t> buffer(kMaxMessageBytes);
    for (;;) {
        const std::size_t received = connection.read(buffer);
        if (received == 0) return;
        const PipeMessage message = parseMessage(std::span(buffer).first(std::min(received, buffer.size())));
        if (message.terminate) {
            requestDestroy();
            return;
        }
        notifier.showEvent(message.type, message.text);
        pause.wait(std::chrono::milliseconds(20));
    }
}

}  // namespace notifier

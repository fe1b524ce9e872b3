#include "sim/settings_model.h"

#include <algorithm>
#include <array>
#include <string>

#include "access/code_tables.h"
#include "access/settings_records.h"
#include "sim/patrol_model.h"

namespace sim {

namespace {

// Which bytes of a record its fields occupy.
template <class Record, class... Fields>
constexpr std::array<bool, Record::kSize> namedBytes(rec::FieldList<Fields...>) {
    std::array<bool, Record::kSize> named{};
    auto mark = [&named](std::size_t offset, std::size_t width) {
        for (std::size_t i = offset; i < offset + width; ++i) named[i] = true;
    };
    (mark(Fields::offset, Fields::width), ...);
    return named;
}

// The controller's own data in the bytes no setting occupies.
constexpr std::uint8_t patternByte(std::size_t i) { return static_cast<std::uint8_t>(0xA5 + 29 * i); }

template <class Record>
void fillUnnamed(const rec::ByteSpan& record) {
    constexpr auto named = namedBytes<Record>(typename Record::Fields{});
    for (std::size_t i = 0; i < Record::kSize && i < record.size(); ++i) {
        record.putAt<std::uint8_t>(i, named[i] ? 0 : patternByte(i));
    }
}

template <class Record>
bool unnamedIntact(const rec::ByteView& record) {
    constexpr auto named = namedBytes<Record>(typename Record::Fields{});
    if (record.size() < Record::kSize) return false;
    for (std::size_t i = 0; i < Record::kSize; ++i) {
        if (!named[i] && record.at<std::uint8_t>(i) != patternByte(i)) return false;
    }
    return true;
}

// A text field changes only when its bytes differ from what was reported,
// so that a name longer than the field survives a change of something else.
template <class Field, class Fill>
bool textChanged(const rec::ByteView& record, const Fill& reported) {
    std::uint8_t bytes[Field::width] = {};
    reported(rec::ByteSpan(bytes, sizeof bytes));
    return !std::equal(bytes, bytes + Field::width, record.data() + Field::offset);
}

std::uint8_t onOff(bool on) { return on ? 1 : 0; }

std::uint32_t reportedLookahead(const Array& a, std::uint32_t widest) {
    return std::min<std::uint32_t>(a.lookahead, widest);
}

}  // namespace

void fillControllerSettings(const rec::ByteSpan& r, const Controller& c) {
    using S = lib::ControllerSettings;
    const GlobalSettings& g = c.settings;
    fillUnnamed<S>(r);
    r.put<S::RebuildRate>(g.rebuildRate);
    r.put<S::SyncRate>(g.syncRate);
    r.put<S::PatrolRate>(g.patrolRate);
    r.put<S::InitRate>(g.initRate);
    r.put<S::MigrationRate>(g.migrationRate);
    r.put<S::AutoRebuild>(onOff(g.autoRebuild));
    r.put<S::SmartIntervalLow>(static_cast<std::uint8_t>(g.smartInterval));
    r.put<S::SmartIntervalHigh>(static_cast<std::uint8_t>(g.smartInterval >> 8));
    r.put<S::SmartChecking>(onOff(g.smartChecking));
    r.put<S::EnclosureInterval>(g.enclosureInterval);
    r.put<S::RebuildPolicy>(g.rebuildPolicy);
    r.put<S::TaskTimeout>(g.taskTimeout);
}

GlobalSettings globalSettingsFrom(const rec::ByteView& r) {
    using S = lib::ControllerSettings;
    GlobalSettings g;
    g.rebuildRate = r.get<S::RebuildRate>();
    g.syncRate = r.get<S::SyncRate>();
    g.patrolRate = r.get<S::PatrolRate>();
    g.initRate = r.get<S::InitRate>();
    g.migrationRate = r.get<S::MigrationRate>();
    g.autoRebuild = r.get<S::AutoRebuild>() != 0;
    g.smartInterval = static_cast<std::uint16_t>(r.get<S::SmartIntervalHigh>() << 8 | r.get<S::SmartIntervalLow>());
    g.smartChecking = r.get<S::SmartChecking>() != 0;
    g.enclosureInterval = r.get<S::EnclosureInterval>();
    g.rebuildPolicy = r.get<S::RebuildPolicy>();
    g.taskTimeout = r.get<S::TaskTimeout>();
    return g;
}

SettingsOutcome applyControllerSettings(State& state, Controller& c, const rec::ByteView& r) {
    using S = lib::ControllerSettings;
    if (!unnamedIntact<S>(r)) return SettingsOutcome::Malformed;
    const GlobalSettings g = globalSettingsFrom(r);
    const std::uint32_t now = currentTime(state);
    for (Array& a : c.arrays) {
        if (!a.activity) continue;
        Activity& act = *a.activity;
        const std::uint8_t rate = activityRate(g, act.kind);
        if (rate == act.rate) continue;
        // What is done so far stays done; the rest runs at the new rate.
        if (!act.paused) {
            act.doneBefore = activityProgress(act, now);
            act.runningSince = now;
        }
        act.rate = rate;
    }
    changePatrolRate(state, c, g.patrolRate);
    c.settings = g;
    return SettingsOutcome::Ok;
}

void fillLogDrvSettings(const rec::ByteSpan& r, const Array& a) {
    using S = lib::LogDrvSettings;
    fillUnnamed<S>(r);
    r.put<S::ArrayId>(static_cast<std::uint16_t>(a.id));
    r.put<S::CacheMode>(a.cacheMode);
    r.putText<S::Name>(a.name);
    r.put<S::Consolidation>(onOff(a.consolidation));
    r.put<S::Lookahead>(static_cast<std::uint16_t>(reportedLookahead(a, 0xFFFF)));
    r.put<S::Bypass>(onOff(a.bypass));
}

SettingsOutcome applyLogDrvSettings(Array& a, const rec::ByteView& r) {
    using S = lib::LogDrvSettings;
    if (!unnamedIntact<S>(r) || r.get<S::ArrayId>() != a.id) return SettingsOutcome::Malformed;
    a.cacheMode = r.get<S::CacheMode>();
    if (textChanged<S::Name>(r, [&a](const rec::ByteSpan& f) { f.putText(0, f.size(), a.name); })) {
        a.name = r.text<S::Name>();
    }
    a.consolidation = r.get<S::Consolidation>() != 0;
    if (r.get<S::Lookahead>() != reportedLookahead(a, 0xFFFF)) a.lookahead = r.get<S::Lookahead>();
    a.bypass = r.get<S::Bypass>() != 0;
    return SettingsOutcome::Ok;
}

void fillArraySettingsBlock(const rec::ByteSpan& b, const Array& a) {
    using B = drv::ArraySettingsBlock;
    fillUnnamed<B>(b);
    b.put<B::CacheMode>(codes::driverCacheModeOf(a.cacheMode));
    b.put<B::Lookahead>(static_cast<std::uint8_t>(reportedLookahead(a, 0xFF)));
    b.put<B::Consolidation>(onOff(a.consolidation));
    b.put<B::BypassDisabled>(onOff(!a.bypass));
    b.putText<B::Name>(a.name);
}

SettingsOutcome applyArraySettingsBlock(Array& a, const rec::ByteView& b) {
    using B = drv::ArraySettingsBlock;
    if (!unnamedIntact<B>(b)) return SettingsOutcome::Malformed;
    const std::uint8_t code = b.get<B::CacheMode>();
    if (code > drv::DRIVER_CACHE_AUTO) return SettingsOutcome::Malformed;
    // The code stands for more than one set of bits (auto may come with
    // others): the bits change only when the code does.
    if (code != codes::driverCacheModeOf(a.cacheMode)) {
        a.cacheMode = (a.cacheMode & ~lib::kCacheModeMask) | codes::libraryCacheBitsOf(code);
    }
    if (b.get<B::Lookahead>() != reportedLookahead(a, 0xFF)) a.lookahead = b.get<B::Lookahead>();
    a.consolidation = b.get<B::Consolidation>() != 0;
    a.bypass = b.get<B::BypassDisabled>() == 0;
    if (textChanged<B::Name>(b, [&a](const rec::ByteSpan& f) { f.putText(0, f.size(), a.name); })) {
        a.name = b.text<B::Name>();
    }
    return SettingsOutcome::Ok;
}

void fillPhyDrvSettings(const rec::ByteSpan& r, const Disk& d) {
    using S = lib::PhyDrvSettings;
    fillUnnamed<S>(r);
    r.put<S::DiskId>(static_cast<std::uint16_t>(d.id));
    r.put<S::WriteCache>(onOff(d.writeCache));
    r.put<S::Smart>(onOff(d.smartEnabled));
    r.put<S::TcqSupported>(onOff(d.tcqSupported));
    r.put<S::NcqSupported>(onOff(d.ncqSupported));
    r.put<S::Tcq>(onOff(d.tcqSupported && d.tcq));
    r.put<S::Ncq>(onOff(d.ncqSupported && d.ncq));
}

SettingsOutcome applyPhyDrvSettings(Disk& d, const rec::ByteView& r) {
    using S = lib::PhyDrvSettings;
    if (!unnamedIntact<S>(r) || r.get<S::DiskId>() != d.id) return SettingsOutcome::Malformed;
    d.writeCache = r.get<S::WriteCache>() != 0;
    d.smartEnabled = r.get<S::Smart>() != 0;
    // A queuing feature the disk lacks cannot be switched on; the rest of
    // the record is still taken.
    const bool ncq = r.get<S::Ncq>() != 0;
    const bool tcq = r.get<S::Tcq>() != 0;
    d.ncq = ncq && d.ncqSupported;
    d.tcq = tcq && d.tcqSupported;
    if ((ncq && !d.ncqSupported) || (tcq && !d.tcqSupported)) return SettingsOutcome::NotSupported;
    return SettingsOutcome::Ok;
}

void fillCamSettingBlock(const rec::ByteSpan& b, std::uint32_t bits) {
    using B = lib::CamSettingBlock;
    fillUnnamed<B>(b);
    b.put<B::Bits>(bits);
}

SettingsOutcome applyCamSettingBlock(Controller& c, const rec::ByteView& b) {
    using B = lib::CamSettingBlock;
    if (!unnamedIntact<B>(b)) return SettingsOutcome::Malformed;
    c.cam.saved = b.get<B::Bits>();
    return c.cam.saved != c.cam.current ? SettingsOutcome::RestartNeeded : SettingsOutcome::Ok;
}

void restartController(Controller& c) {
    c.cam.current = c.cam.saved;
    // A firmware written to the flash runs from now on.
    if (c.pendingFirmwareVersion) c.firmwareVersion = *c.pendingFirmwareVersion;
    c.pendingFirmwareVersion.reset();
}

}  // namespace sim

// Operations the simulated library does not serve yet. Each one fails with a
// non-zero status (kHxStatusNotServed) and leaves its buffers untouched, so a
// command that calls one sees a library that refuses the request. The served
// ones live in the other hxapi_*.cpp files of this folder.

#include "access/hxapi.h"
#include "sim/call_log.h"

namespace {

// Notes the call, then refuses it.
uint32_t notServed(const char* operation) {
    sim::recordLibraryCall(operation, nullptr, 0);
    return kHxStatusNotServed;
}

}  // namespace

extern "C" {

// ---- Background activities --------------------------------------------------

uint32_t HXAPI_CALL hx_startRebuild(uint32_t, uint32_t, uint32_t, const void*) {
    return notServed(__func__);
}

// ---- Diagnostics ------------------------------------------------------------

uint32_t HXAPI_CALL hx_sendBypassCommand(uint32_t, uint32_t, uint32_t, const void*) {
    return notServed(__func__);
}

// ---- Enclosures and hardware ------------------------------------------------

uint32_t HXAPI_CALL hx_getEnclosureInfo(uint32_t, uint32_t, uint32_t, const void*, void*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getEnclosureStatus(uint32_t, uint32_t, uint32_t, const void*, void*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_setEnclosureSetting(uint32_t, uint32_t, uint32_t, const void*) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_locatePhyDrv(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_stopLocatePhyDrv(uint32_t, uint32_t, uint32_t, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getPhyDrvLocateStatus(uint32_t, uint32_t, uint32_t, uint32_t, uint8_t*) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_locateLogDrv(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_stopLocateLogDrv(uint32_t, uint32_t, uint32_t, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getBatteryInfo(uint32_t, uint32_t, uint32_t, const void*, void*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getBuzzerStatus(uint32_t, uint32_t, uint32_t, uint8_t*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_turnOnBuzzer(uint32_t, uint32_t, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_turnOffBuzzer(uint32_t, uint32_t, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getPortInfo(uint32_t, uint32_t, uint32_t, uint32_t*) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_setDataTransferSpeedTX(uint32_t, uint32_t, uint32_t, const uint32_t*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getPortHotPlug(uint32_t, uint32_t*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_setPortHotPlug(uint32_t, const uint32_t*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_getPortALPE(uint32_t, uint32_t*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_setPortALPE(uint32_t, const uint32_t*, uint32_t) {
    return notServed(__func__);
}

// ---- Ignored events (no controller address) ---------------------------------

uint32_t HXAPI_CALL hx_getIgnoreEventList(void*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_addIgnoreEvent(uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_removeIgnoreEvent(uint32_t) {
    return notServed(__func__);
}

// ---- Firmware flash ---------------------------------------------------------

uint32_t HXAPI_CALL hx_FlashUpload(uint32_t, uint32_t, uint32_t, const void*, uint32_t) {
    return notServed(__func__);
}

// ---- ATA pass-through -------------------------------------------------------

uint32_t HXAPI_CALL hx_ATAPassThru(uint32_t, uint32_t, uint32_t, const void*, uint32_t) {
    return notServed(__func__);
}

uint32_t HXAPI_CALL hx_ATAPassThruGetResult(uint32_t, uint32_t, uint32_t, void*, uint32_t) {
    return notServed(__func__);
}

}  // extern "C"

#pragma once
// C interface of hxapi, the maker's management library for the controllers.
//
// Every operation returns a 32-bit status, 0 = success. Operations on a
// controller take the three controller address words first, by value:
// w1 = controller index widened to 32 bits, w2 = 0, w3 = 0. Records and
// buffers are packed little-endian byte layouts; the caller allocates them
// (usually zero-filled) and keeps them, the library only reads or fills them
// during the call. List replies begin with the 64-byte InfoReplyHeader.
// "req: InfoRequest {a, b}" names the request block's first id and count.

#include <cstdint>

// Calling convention of the library's entry points: the C one (cdecl on
// 32-bit Windows), as access/library_binding.h states with the other
// assumptions made of the maker's library; a build may set another.
#ifndef HXAPI_CALL
#define HXAPI_CALL
#endif

extern "C" {

// ---- Start-up and shut-down ------------------------------------------------

// Brings the library up. initBlock: 256-byte block, log handle at offset 0.
uint32_t HXAPI_CALL hx_initialize(const void* initBlock);
// Scans for controllers. option: always 0.
uint32_t HXAPI_CALL hx_discover(uint32_t option);
// Stores the number of controllers found in *count.
uint32_t HXAPI_CALL hx_getNumberOfHBA(uint32_t* count);
// Device path of a controller (address words 1, 2 only). buf: ctrl id at 64, subsys id at 68 (65536).
uint32_t HXAPI_CALL hx_getDiscoverPath(uint32_t w1, uint32_t w2, void* buf, uint32_t size);
// Shuts the library down; called once when the console ends.
uint32_t HXAPI_CALL hx_finalize();

// ---- Inventory and status ----------------------------------------------------

// Disk list. req: InfoRequest (count in/out), buf: reply of PhyDrvInfo records (85056 all, 728 one).
uint32_t HXAPI_CALL hx_getPhyDrvInfo(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                     uint32_t size);
// Array list. req: InfoRequest (count in/out), buf: reply of LogDrvInfo records (25664 all, 264 one).
uint32_t HXAPI_CALL hx_getLogDrvInfo(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                     uint32_t size);
// Lost-member mask of array arrayNumber (0..255), stored in *mask.
uint32_t HXAPI_CALL hx_getAryLostDisk(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t arrayNumber,
                                      uint32_t* mask);
// Host record. buf: HostInfo (OS version text at 64), size bytes (520).
uint32_t HXAPI_CALL hx_getHostInfo(uint32_t w1, uint32_t w2, uint32_t w3, void* buf, uint32_t size);
// Controller record. req: InfoRequest {0, 1, kind}, buf: AdapterInfo (kind 0, 432), firmware info (kind 2, 88).
uint32_t HXAPI_CALL hx_getControllerInfo(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                         uint32_t size);
// Driver record. buf: DriverInfo (version words at 0); no size passed, the console provides 140 bytes.
uint32_t HXAPI_CALL hx_getDriverInfo(uint32_t w1, uint32_t w2, uint32_t w3, void* buf);
// Rebuild or backup progress. req: InfoRequest {array, 0}, buf: RebuildProgress (88).
uint32_t HXAPI_CALL hx_getRebuildProgress(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                          uint32_t size);
// Synchronisation progress. req: InfoRequest {array}, buf: RedundancyCheckProgress (72).
uint32_t HXAPI_CALL hx_getRedundancyCheckProgress(uint32_t w1, uint32_t w2, uint32_t w3, void* req,
                                                  void* buf, uint32_t size);
// Initialisation progress. req: InfoRequest {array}, buf: LogDrvInitProgress (524).
uint32_t HXAPI_CALL hx_getLogDrvInitProgress(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                             uint32_t size);
// Migration progress. req: InfoRequest {array, 1}, buf: MigrationProgress (208).
uint32_t HXAPI_CALL hx_getMigrationProgress(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                            uint32_t size);

// ---- Arrays ------------------------------------------------------------------

// Creates an array. req: 2160-byte ArrayCreateRequest with its member table.
uint32_t HXAPI_CALL hx_addHBAArray(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Deletes arrays. ids: ArrayIdList (count, then the ids), size bytes (8).
uint32_t HXAPI_CALL hx_delDiskArray(uint32_t w1, uint32_t w2, uint32_t w3, const void* ids,
                                    uint32_t size);
// Deletes the backup of array arrayId.
uint32_t HXAPI_CALL hx_deleteBackUp(uint32_t w1, uint32_t w2, uint32_t w3, uint16_t arrayId);
// Activates array arrayId while it is being configured.
uint32_t HXAPI_CALL hx_activateLogDrv(uint32_t w1, uint32_t w2, uint32_t w3, uint16_t arrayId);

// ---- Background activities ---------------------------------------------------

// Starts a rebuild (the console uses hx_startHBARebuildExtent). target: one RebuildTarget.
uint32_t HXAPI_CALL hx_startRebuild(uint32_t w1, uint32_t w2, uint32_t w3, const void* target);
// Starts a rebuild onto given extents. targets: count 16-byte RebuildTarget entries.
uint32_t HXAPI_CALL hx_startHBARebuildExtent(uint32_t w1, uint32_t w2, uint32_t w3, uint8_t count,
                                             const void* targets);
// Starts a backup. targets: BackupTarget entries, one per disk (count not passed).
uint32_t HXAPI_CALL hx_startHBABackup(uint32_t w1, uint32_t w2, uint32_t w3, const void* targets);
// Starts an initialisation. req: LogDrvInitRequest, size bytes (524).
uint32_t HXAPI_CALL hx_startLogDrvInit(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                       uint32_t size);
// Starts a synchronisation or check. req: RedundancyCheckRequest (array, kind).
uint32_t HXAPI_CALL hx_startRedundancyCheck(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Starts a migration. req: 2064-byte MigrationRequest with its member table.
uint32_t HXAPI_CALL hx_migrateHBAArray(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Restarts a rebuild. ref: 12-byte ActivityRef (array id at 0).
uint32_t HXAPI_CALL hx_restartRebuild(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Pauses a rebuild. ref: 12-byte ActivityRef.
uint32_t HXAPI_CALL hx_pauseRebuild(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Resumes a rebuild. ref: 12-byte ActivityRef.
uint32_t HXAPI_CALL hx_resumeRebuild(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Aborts a rebuild. ref: 12-byte ActivityRef.
uint32_t HXAPI_CALL hx_stopRebuild(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Pauses an initialisation. ref: ActivityRef (array id at 0).
uint32_t HXAPI_CALL hx_pauseLogDrvInit(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Resumes an initialisation. ref: ActivityRef.
uint32_t HXAPI_CALL hx_resumeLogDrvInit(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Aborts an initialisation. ref: ActivityRef.
uint32_t HXAPI_CALL hx_stopLogDrvInit(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Pauses a synchronisation. ref: ActivityRef.
uint32_t HXAPI_CALL hx_pauseRedundancyCheck(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Resumes a synchronisation. ref: ActivityRef.
uint32_t HXAPI_CALL hx_resumeRedundancyCheck(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Aborts a synchronisation. ref: ActivityRef.
uint32_t HXAPI_CALL hx_stopRedundancyCheck(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Pauses a migration. ref: ActivityRef.
uint32_t HXAPI_CALL hx_PauseMigration(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Resumes a migration. ref: ActivityRef.
uint32_t HXAPI_CALL hx_ResumeMigration(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);

// ---- Settings ----------------------------------------------------------------

// Controller settings. req: InfoRequest {controller index, 1, 0}, buf: ControllerSettings (88).
uint32_t HXAPI_CALL hx_getControllerSettings(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                             uint32_t size);
// Writes controller settings. req: as for the read, settings: ControllerSettings (88).
uint32_t HXAPI_CALL hx_setControllerSettings(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                             const void* settings, uint32_t size);
// Array settings. req: InfoRequest {array, 1}, buf: LogDrvSettings, size bytes (179).
uint32_t HXAPI_CALL hx_getLogDrvSettings(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                         uint32_t size);
// Writes array settings. req: InfoRequest {array, 1}, settings: LogDrvSettings (179).
uint32_t HXAPI_CALL hx_setLogDrvSettings(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                         const void* settings, uint32_t size);
// Disk settings. req: InfoRequest {disk, 1, 1}, buf: PhyDrvSettings, size bytes (80).
uint32_t HXAPI_CALL hx_getPhyDrvSettings(uint32_t w1, uint32_t w2, uint32_t w3, void* req, void* buf,
                                         uint32_t size);
// Writes disk settings. req: InfoRequest {disk, 1, 1}, settings: PhyDrvSettings (80).
uint32_t HXAPI_CALL hx_setPhyDrvSettings(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                         const void* settings, uint32_t size);

// ---- Background activity schedules -------------------------------------------

// Lists schedules. key: 5-byte ScheduleKey (255, then zeros), buf: ScheduleBuffer (65535).
uint32_t HXAPI_CALL hx_getBGASchedule(uint32_t w1, uint32_t w2, uint32_t w3, const void* key, void* buf,
                                      uint32_t size);
// Adds a schedule. buf: ScheduleBuffer holding one entry, size bytes (65535).
uint32_t HXAPI_CALL hx_addBGASchedule(uint32_t w1, uint32_t w2, uint32_t w3, const void* buf,
                                      uint32_t size);
// Changes a schedule. buf: ScheduleBuffer holding one entry, size bytes (65535).
uint32_t HXAPI_CALL hx_modifyBGASchedule(uint32_t w1, uint32_t w2, uint32_t w3, const void* buf,
                                         uint32_t size);
// Deletes a schedule. buf: ScheduleBuffer holding one entry (type, seq), size bytes (84).
uint32_t HXAPI_CALL hx_deleteBGASchedule(uint32_t w1, uint32_t w2, uint32_t w3, const void* buf,
                                         uint32_t size);

// ---- Diagnostics -------------------------------------------------------------

// Sends a raw vendor command block. req: BypassRequest (block at 16, data length 216, data address 224).
uint32_t HXAPI_CALL hx_sendBypassCommand(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Starts media patrol on a disk. req: InfoRequest {disk, 1}.
uint32_t HXAPI_CALL hx_startHBAMediaPatrol(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Pauses media patrol on a disk. req: InfoRequest {disk, 1}.
uint32_t HXAPI_CALL hx_pauseHBAMediaPatrol(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Resumes media patrol on a disk. req: InfoRequest {disk, 1}.
uint32_t HXAPI_CALL hx_resumeHBAMediaPatrol(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Aborts media patrol on a disk. req: InfoRequest {disk, 1}.
uint32_t HXAPI_CALL hx_stopHBAMediaPatrol(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Patrol progress of all disks. req: InfoRequest {0, 128}, buf: reply of PatrolProgress entries (6268).
uint32_t HXAPI_CALL hx_getHBAMediaPatrolProgress(uint32_t w1, uint32_t w2, uint32_t w3, void* req,
                                                 void* buf, uint32_t size);
// Bad-sector log of disk diskId. buf: reply of 16-byte BslEntry records, size bytes (544).
uint32_t HXAPI_CALL hx_getHBABSL(uint32_t w1, uint32_t w2, uint32_t w3, uint16_t diskId, void* buf,
                                 uint32_t size);
// Error table of a disk. req: ErrorTableRequest (disk, kind), buf: table head and entries (1024).
uint32_t HXAPI_CALL hx_getErrorTable(uint32_t w1, uint32_t w2, uint32_t w3, const void* req, void* buf,
                                     uint32_t size);
// Wipes the reserved configuration sectors of a disk. req: InfoRequest {disk, 1}.
uint32_t HXAPI_CALL hx_removeHBADiskMDD(uint32_t w1, uint32_t w2, uint32_t w3, const void* req);
// Makes an extent a spare. assignment: ExtentAssignment (extent, disk, array; 255 = global).
uint32_t HXAPI_CALL hx_spareHBAExtent(uint32_t w1, uint32_t w2, uint32_t w3, const void* assignment);
// Frees an extent. ref: 8-byte ExtentRef (extent index, disk id).
uint32_t HXAPI_CALL hx_freeHBAExtent(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);
// Adds an extent to an array. assignment: ExtentAssignment (extent, disk, array).
uint32_t HXAPI_CALL hx_addHBAExtentToArray(uint32_t w1, uint32_t w2, uint32_t w3,
                                           const void* assignment);
// Splits an extent. ref: 8-byte ExtentRef, offsetMb: split offset in megabytes.
uint32_t HXAPI_CALL hx_splitHBAExtent(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref,
                                      uint32_t offsetMb);
// Deletes an extent. ref: 8-byte ExtentRef.
uint32_t HXAPI_CALL hx_deleteHBAExtent(uint32_t w1, uint32_t w2, uint32_t w3, const void* ref);

// ---- Enclosures and hardware -------------------------------------------------

// Enclosure list. req: EnclosureRequest {0, 8}, buf: reply of eight EnclosureInfo records (192).
uint32_t HXAPI_CALL hx_getEnclosureInfo(uint32_t w1, uint32_t w2, uint32_t w3, const void* req, void* buf,
                                        uint32_t size);
// Enclosure status. req: EnclosureRequest {id, 1, kind}, buf: EnclosureStatus (kind 1, 844) or sensors (116).
uint32_t HXAPI_CALL hx_getEnclosureStatus(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                          void* buf, uint32_t size);
// Sets a fan speed. setting: 4-byte EnclosureFanSetting (enclosure, fan, 1, code).
uint32_t HXAPI_CALL hx_setEnclosureSetting(uint32_t w1, uint32_t w2, uint32_t w3, const void* setting);
// Switches the locate LED of disk diskId on. option: 0 from the console.
uint32_t HXAPI_CALL hx_locatePhyDrv(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t diskId,
                                    uint32_t option);
// Switches the locate LED of disk diskId off.
uint32_t HXAPI_CALL hx_stopLocatePhyDrv(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t diskId);
// Locate LED state of disk diskId: *ledOn receives 1 (on) or 0 (off).
uint32_t HXAPI_CALL hx_getPhyDrvLocateStatus(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t diskId,
                                             uint8_t* ledOn);
// Switches the locate LEDs of array arrayId's members on. option: 0 from the console.
uint32_t HXAPI_CALL hx_locateLogDrv(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t arrayId,
                                    uint32_t option);
// Switches the locate LEDs of the members of array arrayId off.
uint32_t HXAPI_CALL hx_stopLocateLogDrv(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t arrayId);
// Backup battery. req: 4-byte request (two 16-bit zeros), buf: BatteryInfo (112).
uint32_t HXAPI_CALL hx_getBatteryInfo(uint32_t w1, uint32_t w2, uint32_t w3, const void* req, void* buf,
                                      uint32_t size);
// Buzzer state: *on receives non-zero when the buzzer is on; size bytes (1).
uint32_t HXAPI_CALL hx_getBuzzerStatus(uint32_t w1, uint32_t w2, uint32_t w3, uint8_t* on,
                                       uint32_t size);
// Switches the buzzer on.
uint32_t HXAPI_CALL hx_turnOnBuzzer(uint32_t w1, uint32_t w2, uint32_t w3);
// Switches the buzzer off.
uint32_t HXAPI_CALL hx_turnOffBuzzer(uint32_t w1, uint32_t w2, uint32_t w3);
// Port value of the controller, stored in *value (the console zeroes it first).
uint32_t HXAPI_CALL hx_getPortInfo(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t* value);
// Switches the 3 Gb/s transfer option. *enable: 1 enable, 0 disable; size bytes (4).
uint32_t HXAPI_CALL hx_setDataTransferSpeedTX(uint32_t w1, uint32_t w2, uint32_t w3,
                                              const uint32_t* enable, uint32_t size);
// Hot-plug setting of port (no controller address). *enabled: non-zero when on; size bytes (4).
uint32_t HXAPI_CALL hx_getPortHotPlug(uint32_t port, uint32_t* enabled, uint32_t size);
// Sets hot-plug of port (no controller address). *enable: 1 enable, 0 disable; size bytes (4).
uint32_t HXAPI_CALL hx_setPortHotPlug(uint32_t port, const uint32_t* enable, uint32_t size);
// ALPE setting of port (no controller address). *enabled: non-zero when on; size bytes (4).
uint32_t HXAPI_CALL hx_getPortALPE(uint32_t port, uint32_t* enabled, uint32_t size);
// Sets ALPE of port (no controller address). *enable: 1 enable, 0 disable; size bytes (4).
uint32_t HXAPI_CALL hx_setPortALPE(uint32_t port, const uint32_t* enable, uint32_t size);

// ---- Events ------------------------------------------------------------------

// New events. range: two words preset to 0xFFFFFFFF, range[1] gets the count; buf: 408-byte records (20872).
uint32_t HXAPI_CALL hx_getHBAEvents(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t* range, void* buf,
                                    uint32_t size);

// ---- Ignored events (no controller address) ----------------------------------

// Ignored event codes. buf: up to 256 32-bit codes ended by 0, size bytes (1024).
uint32_t HXAPI_CALL hx_getIgnoreEventList(void* buf, uint32_t size);
// Puts event code on the ignore list; non-zero = refused.
uint32_t HXAPI_CALL hx_addIgnoreEvent(uint32_t code);
// Takes event code off the ignore list; non-zero = refused.
uint32_t HXAPI_CALL hx_removeIgnoreEvent(uint32_t code);

// ---- Firmware flash ----------------------------------------------------------

// Writes an image to flash. req: FlashRequest (type, enclosure, length, image address); size 1310720.
uint32_t HXAPI_CALL hx_FlashUpload(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                   uint32_t size);

// ---- ATA pass-through --------------------------------------------------------

// Issues an ATA command. req: AtaPassRequest (command, count, data length and address), size (28).
uint32_t HXAPI_CALL hx_ATAPassThru(uint32_t w1, uint32_t w2, uint32_t w3, const void* req,
                                   uint32_t size);
// Result of the last ATA command. buf: AtaPassResult, size bytes (16).
uint32_t HXAPI_CALL hx_ATAPassThruGetResult(uint32_t w1, uint32_t w2, uint32_t w3, void* buf,
                                            uint32_t size);

// ---- CAM settings ------------------------------------------------------------

// Reads CAM settings. target: 255 from the console, copy: 0 saved, 1 current; buf: CamSettingBlock (48).
uint32_t HXAPI_CALL hx_GetCAMSetting(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t target,
                                     uint32_t copy, void* buf, uint32_t size);
// Writes CAM settings. target: 255 from the console, buf: CamSettingBlock (48).
uint32_t HXAPI_CALL hx_SetCAMSetting(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t target,
                                     const void* buf, uint32_t size);

}  // extern "C"

// Status the stand-in library returns for an operation it does not serve.
constexpr uint32_t kHxStatusNotServed = 0xE0000001u;

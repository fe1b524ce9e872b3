// Help texts of the console: the general list and the detail texts of the
// commands that have one.

#include "console/help_texts.h"

namespace {

const char* const generalHelpLines[] = {
    "?|h|help\tPrint this information screen.\n",
    "q|exit|bye|quit\tTerminate program execution.\n",
    "adapter\tAdapter Operations. (*)\n",
    "dc\tDump controller information.\n",
    "la\tList all arrays.\n",
    "ld\tList all disks.\n",
    "ds\tDisplay and set disk setting.(*)\n",
    "le\tList all extents.\n",
    "ca\tCreate array. (*)\n",
    "ca2\tCreate array with specified extent index. (*)\n",
    "da\tDelete array. (*)\n",
    "bga\tBGA control. (*)\n",
    "as\tDisplay array status.\n",
    "ac\tDisplay and set array configuration.(*)\n",
    "gs\tDump global settings. (*)\n",
    "gsc\tDump CAM setting. (*)\n",
    "script\tRun script file.\n",
    "delay\tSleep for a while.\n",
    "Patrol\tMedia patrol operations. (*)\n",
    "es\tError simulation operations. (*)\n",
    "bsl\tBSL operations. (*)\n",
    "dbg\tDebugging operations. (*)\n",
    "blk\tExtent Operation. (*)\n",
    "wd\tWipe out disk MDD. (*)\n",
    "enc\tEnclosure Command. (*)\n",
    "bat\tShow battery temperature and voltage.\n",
    "buz\tEnable or disable buzzer. (*)\n",
    "dsp\tEnable, disable or get the status of disk 3G setting. (*)\n",
    "hplug\tEnable, disable or get the hotplug setting for the specified port. (*)\n",
    "alpe\tEnable, disable or get the ALPE setting for the specified port. (*)\n",
    "flash\tFlash BIOS, Firmware or RedBoot (*).\n",
    "delbp\tDelete back up disk\n",
    "\nFor commands commented with (*), you can use ? <command name> to get detail help information.\n",
};

}  // namespace

const char* const adapterHelpText =
    "adapter - Adapter Operations\n"
    "Syntax:\n"
    "  adapter\tList all controllers.\n"
    "  adapter <adapter ID>\tSwitch to the specified controller.\n";

const char* const caHelpText =
    "ca - Create an array with specified extent indexes\n"
    "Usage: ca <RAID level> <stripe block size> <\"diskIDs\"> <\"extentIndexes\"> <name> <round scheme> <init> \n"
    "<raid50SubArrayCount> <ParityCount> <Symmetric> <Shift>\n"
    "Where <RAID level> can be:\n"
    "\tRAID0\tStripping\n"
    "\tRAID1\tMirror\n"
    "\tRAID5\tDistributed Parity\n"
    "\tRAID10\tStripe-Mirroring\n"
    "\tRAID50\tStripping Distributed Parity\n"
    "\tRAIDMF\tRAID6+\n"
    "\tJBOD\t\n"
    "\tSPAN\t\n"
    "Note that JBOD is no more a RAID level that can be created.\n"
    "Where <round scheme> can be:\n"
    "\tNONE\tNon rounding\n"
    "\tGBB\tGiga-byte boundary rounding\n"
    "\t10GBB\t10 Giga-byte boundary rounding\n"
    "Where <init> can be:\n"
    "\tNONE\tNo initialization\n"
    "\tQUICK\tQuick initialization\n"
    "\tFORE\tForeground full initialization\n"
    "\tBACK\tBackground full initialization\n"
    "Where <raid50SubArrayCount> can be:\n"
    "DON'T input this if the defined raid mode is not RAID50\n"
    "This is the sub array count and means how many raid5 ld will be created to create raid0.\n"
    "Be careful raid5 need equal or greater than 3 disk. \n"
    "Where <ParityCount> can be:\n"
    "It's only valid when the defined raid mode is RAIDMF\n"
    "It must be less than the total disk numberWhere <Symmetric> can be:\n"
    "It's only valid when the defined raid mode is RAIDMF\n"
    "It's either 0 or 1Where <Shift> can be:\n"
    "It's only valid when the defined raid mode is RAIDMF\n"
    "The range for the \"Shift\" is between -(total disk number - 1)\n"
    "and (total disk number - 1)\n"
    "Example:\n"
    "\n"
    "ca RAID1 128 \"0 1\" \"1 1\" \"Array 0\" GBB NONE\n"
    "\n"
    "The above command creates an RAID1 array with 64K stripe block size by using block 0 and 1 with name of 'Array 0'.\n";

const char* const ca2HelpText =
    "ca2 - Create an array with specified size in MB\n"
    "Usage: ca2 <RAID level> <stripe block size> <\"diskIDs\"> <size> <name> <round scheme> <init> <SectorSize>\n"
    "<raid50SubArrayCount> <ParityCount> <Symmetric> <Shift>\n"
    "Where <RAID level> can be:\n"
    "\tRAID0\tStripping\n"
    "\tRAID1\tMirror\n"
    "\tRAID5\tDistributed Parity\n"
    "\tRAID10\tStripe-Mirroring\n"
    "\tRAID50\tStripping Distributed Parity\n"
    "\tRAIDMF\tRAID6+\n"
    "\tJBOD\t\n"
    "\tSPAN\t\n"
    "Note that JBOD is no more a RAID level that can be created.\n"
    "Where <round scheme> can be:\n"
    "\tNONE\tNon rounding\n"
    "\tGBB\tGiga-byte boundary rounding\n"
    "\t10GBB\t10 Giga-byte boundary rounding\n"
    "Where <init> can be:\n"
    "\tNONE\tNo initialization\n"
    "\tQUICK\tQuick initialization\n"
    "\tFORE\tForeground full initialization\n"
    "\tBACK\tBackground full initialization\n"
    "Where <SectorSize> can be:\n"
    "\t512,1024,2048,4096\n"
    "Where <raid50SubArrayCount> can be:\n"
    "DON'T input this if the defined raid mode is not RAID50\n"
    "This is the sub array count and means how many raid5 ld will be created to create raid0.\n"
    "Be careful raid5 need equal or greater than 3 disk. \n"
    "Where <ParityCount> can be:\n"
    "It's only valid when the defined raid mode is RAIDMF\n"
    "It must be less than the total disk numberWhere <Symmetric> can be:\n"
    "It's only valid when the defined raid mode is RAIDMF\n"
    "It's either 0 or 1Where <Shift> can be:\n"
    "It's only valid when the defined raid mode is RAIDMF\n"
    "The range for the \"Shift\" is between -(total disk number - 1)\n"
    "and (total disk number - 1)\n"
    "Example:\n"
    "\n"
    "ca2 RAID1 128 \"0 1\" 20000 \"Array 0\" GBB NONE 1024\n"
    "\n"
    "The above command creates an RAID1 array with 64K stripe block size by using block 0 and 1 with name of 'Array 0'.\n";

const char* const dsHelpText =
    "ds - Display and set disk setting.\n"
    "To dump setting of a disk:\n"
    "  ds <DiskID>\n"
    "To change setting of a disk:\n"
    "  ds <DiskID> <CACHE|SMART|NCQ|TCQ> <new value>\n"
    "     ds <DiskID> CACHE <ENABLE|DISABLE>\n"
    "     ds <DiskID> SMART <ENABLE|DISABLE>\n";

const char* const daHelpText =
    "da - Delete an array\n"
    "Usage: da <array ID>\n"
    "You can use the 'la' command to list all arrays to get the array ID.\n";

const char* const bgaHelpText =
    "bga - Background Activity Control.\n"
    "\n"
    "To start a background activity:\n"
    "bga <array ID> START <start parameter>\n"
    "Where <start parameter> includes:\n"
    "\tREBUILD <\"rebuild target diskIDs\"> <\"rebuild target extentIndexes\">\n"
    "\tSYNC <CHECK|SYNC>\n"
    "\tINIT <QUICK|FORE|BACK>\n"
    "\tMIGRATION <RAID level> <\"diskIDs\"> <\"extentIndexes\">\n"
    "\tBACKUP <\"Back up target diskIDs\">\n"
    "\n"
    "To control an existing activity:\n"
    "bga <array ID> <parameter> <PAUSE|ABORT|RESUME>\n"
    "Where <parameter> includes:\n"
    "\tREBUILD\n"
    "\tSYNC\n"
    "\tINIT\n"
    "\tMIGRATION\n";

const char* const gsHelpText =
    "gs - Dump/Set Global Settings.\n"
    "  gs\tDump global settings.\n"
    "To change a setting:\n"
    "  gs <policy|rate|interval|enable|disable> <parameter list>\n"
    "    To change a policy setting:\n"
    "      gs policy <REBUILD> <new value (in HEX)>\n"
    "    To change a rate setting:\n"
    "      gs rate <REBUILD|SYNC|INIT|MIGRATION|PATROL|TIMEOUT> <new value (in DEC)>\n"
    "    To change a interval setting:\n"
    "      gs interval <SMART|ENCLOSURE> <new value (in DEC)>\n"
    "    To enable/disable auto rebuild or S.M.A.R.T checking:\n"
    "      gs enable|disable <AUTOREBUILD|SMART>\n";

const char* const acHelpText =
    "ac - Dump/Set Array Configuration.\n"
    "To dump configuration of an array:\n"
    "  ac <ArrayID>\n"
    "To change configuration of an array:\n"
    "  ac <ArrayID> <CACHE|LOOKAHEAD|NAME|CONSOLIDATION> <new value>\n"
    "     ac <ArrayID> CACHE <WRITEBACK|WRITETHROUGH|BYPASS|AUTO>\n"
    "     ac <ArrayID> LOOKAHEAD <lookahead threshold>\n"
    "     ac <ArrayID> CONSOLIDATION <ENABLE|DISABLE>\n"
    "     ac <ArrayID> BYPASS <ENABLE|DISABLE>\n"
    "     ac <ArrayID> NAME <\"new name\">\n"
    "To activate an array in configuring:\n"
    "  ac <ArrayID> <ACTIVATE>\n";

const char* const esHelpText =
    "es - Error Simulation Operations.\n"
    "Syntax: es <disk ID> <sub-command> [sub-command arguments]\n"
    "Where sub-command includes:\n"
    "  dump\tDump simulated error records on the given disk.\n"
    "  clear\tClear simulated error records on the given disk.\n"
    "  inject\tSimulate a disk error on the given disk.\n"
    "  syntax:\n"
    "      inject <LBA (in HEX)> <media|timeout> <flag list>\n"
    "      where flag includes:\n"
    "         read\tError on read\n"
    "         write\tError on write\n"
    "         verify\tError on verify\n"
    "         wc\tError can be fixed by write\n"
    "  unplug\tSimulate unplug the given disk.\n"
    "  plugin\tSimulate plugin the given disk.\n"
    "  setdown\tSimulate set down (by error) the given disk.\n"
    "  smart\tSimulate SMART error on the given disk.\n"
    "  syntax:\n"
    "     smarterror <ENABLE|DISABLE>\n";

const char* const bslHelpText =
    "bsl - BSL Operations.\n"
    "Syntax: bsl <disk ID> <sub-command>\n"
    "Where sub-command includes:\n"
    "  dump\tDump BSL log on the given disk\n";

const char* const patrolHelpText =
    "patrol - Media Patrol Operations.\n"
    "Syntax: patrol <disk ID> <sub-command>\n"
    "Where sub-command includes:\n"
    "  START\tStart media patrol on the given disk\n"
    "  PAUSE\tPause media patrol on the given disk\n"
    "  RESUME\tResume a previous paused media patrol on the given disk\n"
    "  ABORT\tAbort media patrol on the given disk\n"
    "  DUMP\tDump media patrol information on the given disk\n";

const char* const dbgHelpText =
    "dbg - Debug Operations.\n"
    "Syntax: dbg <dbg command> [argument list]\n"
    "Where dbg command includes:\n"
    "  READ\tRead from a physical disk.\n"
    "  Syntax:\n"
    "     dbg read <disk ID> <LBA (HEX)> <sector count>\n"
    "  WRITE\tWrite to a physical disk.\n"
    "  Syntax:\n"
    "     dbg write <disk ID> <LBA (HEX)> <sector count> <pattern (HEX)>\n"
    "  ECC\tBreak an ECC error on the physical disk.\n"
    "  Syntax:\n"
    "     dbg ecc <disk ID> <LBA (HEX)>\n"
    "  DISK\tOS disk operations\n"
    "  Syntax:\n"
    "    dbg disk <OS disk operations> <parameters>\n"
    "    Where OS disk operations includes:\n"
    "      LIST\tList all OS disks\n"
    "      READ\tRead OS disk\n"
    "      Syntax:\n"
    "        dbg disk read  <disk ID> <LBA (HEX)> <sector count>\n"
    "      WRITE\tWrite to OS disk\n"
    "      Syntax:\n"
    "        dbg disk write <disk ID> <LBA (HEX)> <sector count> <pattern (HEX)>\n"
    "        WARNING: Disk to an OS disk may result data corruption!\n"
    "  Syntax:\n"
    "    dbg cc <array ID> disablebypass\n"
    "    dbg cc <array ID> enablebypass\n";

const char* const blkHelpText =
    "blk - Extent Control Operations.\n"
    "Syntax:\tblk <DiskID> <extent Index> <SPARE|FREE|WIPE|ADD|SPLIT|DELETE> [parameters]\n"
    "Where:\n"
    "  SPARE:\tMake the extent as a spare extent.\n"
    "Syntax: blk <DiskID> <extent Index>> <SPARE> <GLOBAL|ArrayID>\n"
    "  FREE:\tMake the extent as a free extent.\n"
    "Syntax: blk <DiskID> <extent Index> <FREE>\n"
    "  WIPE:\tWipe out the block information in MDD.\n"
    "Syntax: blk <DiskID> <WIPE>\n"
    "  ADD:\tAdd the extent into an array.\n"
    "Syntax: blk <DiskID> <extent Index> <ADD> <ArrayID>\n"
    "  SPLIT:\tSplit the extent.\n"
    "Syntax: blk <DiskID> <extent Index> <SPLIT> <split offset in MB(dec)>\n"
    "  DELETE:\tDelete the extent.\n"
    "Syntax: blk <DiskID> <extent Index> <DELETE>\n";

const char* const wdHelpText =
    "wd - Wipe out Disk MDD.\n"
    "Syntax:\twd <diskID>\n";

const char* const encHelpText =
    "Enclosure Control.\n"
    "List Enclosure: enc le:\n"
    "List Sensor: enc ls <Enclosure ID>\n"
    "LED Location: enc loc <Disk ID> <Control Code>\n"
    "              enc locld <Array ID> <Control Code>\n"
    "\t<Control Code> can be 0(Stop locating) 1(Start locating) 2(Retrieve Status)\n"
    "Map DiskID to EnclosureID+CarrierID: enc map <Disk ID> \n";

const char* const buzHelpText =
    "buz - Enable or disable buzzer.\n"
    "Syntax: buz <controllerID> <command>\n"
    "Where command includes:\n"
    "  ENABLE\tEnable a buzzer\n"
    "  DISABLE\tDisable a buzzer\n"
    "  STATUS\tGet the status of the buzzer\n";

const char* const dspHelpText =
    "dsp - Get or set the 3G data speed setting according\n"
    "\"dsp\" command has 2 syntaxes: \n"
    "1st syntax: dsp dsp <disk ID> <command> \n"
    "Where command includes:\n"
    "  GET\tGet the status if 3G option is enabled in data speed setting\n"
    "2nd syntax: dsp <command> \n"
    "Where command includes:\n"
    "  ENABLE\tEnable 3G option in data speed setting\n"
    "  DISABLE\tDisable 3G option in data speed setting\n";

const char* const hplugHelpText =
    "hplug - Get or set the hotplug setting for the specified port.\n"
    "Syntax: hplug <port> <command> \n"
    "Where command includes:\n"
    "  ENABLE\tEnable the hot plug setting for the specified port\n"
    "  DISABLE\tDisable the hot plug setting for the specified port\n"
    "  GET\tGet the status if the hot plug setting is enabled for the specified port\n";

const char* const alpeHelpText =
    "alpe - Get or set the ALPE setting for the specified port.\n"
    "Syntax: alpe <port> <command> \n"
    "Where command includes:\n"
    "  ENABLE\tEnable the ALPE setting for the specified port\n"
    "  DISABLE\tDisable the ALPE setting for the specified port\n"
    "  GET\tGet the status if the ALPE setting is enabled for the specified port\n";

const char* const gscHelpText =
    "gsc - Dump/Set CAM Settings.\n"
    "  gsc\tDump CAM global settings.\n"
    "To change a setting:\n"
    "  gsc portremap <0|1> \n"
    "  gsc buzzer  <0|1> \n"
    "  gsc spinup <0|1> \n";

const char* const flashHelpText =
    "Flash BIOS, Firmware or RedBoot.\n"
    "flash <command> <flash type> <file path> <enclosure id>:\n"
    "\t<command> = {upload, download}\n"
    "\t<flash type> = {redboot, bios, firmware, fis, fconfig, trace, encfw}\n"
    "\t<file path> = file path + file name.\n"
    "\t<enclosure id>\n"
    "Flash firware with c:\\firemware.img: flash upload firmware c:\\firmware.img\n"
    "Download the BIOS image to c:\\bios.img: flash download bios c:\\bios.img\n"
    "Flash Sable firware with c:\\firemware.img: flash upload firmware c:\\firmware.img\n";

const char* const ieHelpText =
    "Ignore event will not display in event message.\n"
    "ie <command> <event type> :\n"
    "\t<command> = {add, remove, list}\n"
    "\t<event type> = {bat_not_detected, unknow,array_del}\n"
    "example : \n"
    "ie add bat_not_detected\n";

void printGeneralHelp() {
    for (const char* line : generalHelpLines) consolePrint("%s", line);
}

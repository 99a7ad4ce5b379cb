// HDD_TAP_Start.cpp - starts a TAP file through the firmware's work-folder
// and program-start functions, optionally handing it a parameter block.
//
// The parameter travels in a System V shared-memory record (key 86568) that
// exists only while the firmware starts the TAP, so the started TAP reads it
// from its TAP_Main.  In batch mode a one-byte marker segment (key 86567)
// exists for the same time.
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "Kalib.h"

namespace {  // file-local record type (static cannot apply to a type)
/* A shared-memory segment created and attached for the duration of a start. */
struct tStartSegment {
  int id = -1;
  void *address = nullptr;
};
}  // namespace

static void *const ShmAttachFailed = (void *)-1;

/* Creates (or finds) the segment with `key` and attaches it; `address`
 * stays null when either step fails. */
static void CreateSegment(tStartSegment &segment, key_t key, size_t size) {
  segment.id = shmget(key, size, IPC_CREAT);
  if (segment.id == -1) return;
  void *address = shmat(segment.id, nullptr, 0);
  if (address != ShmAttachFailed) segment.address = address;
}

/* Detaches the segment and removes it, also when only the attach failed, so
 * that no segment outlives the start. */
static void RemoveSegment(tStartSegment &segment) {
  if (segment.address != nullptr) shmdt(segment.address);
  if (segment.id != -1) shmctl(segment.id, IPC_RMID, nullptr);
  segment = tStartSegment();
}

/* The Linux folder of the TAP file without its trailing '/', e.g.
 * "/mnt/hd/ProgramFiles"; false when the name has no such folder. */
static bool LinuxFolderOf(const char *tapFileName, char *folder) {
  folder[0] = '\0';
  ConvertPathType(tapFileName, folder, PK_LinuxFolder);
  size_t length = strnlen(folder, KALIB_PATH_MAX);
  if (length == 0 || length >= KALIB_PATH_MAX || folder[0] != '/') return false;
  if (length > 1 && folder[length - 1] == '/') folder[length - 1] = '\0';
  return true;
}

/* Makes the TAP's folder the firmware's work folder and starts the file from
 * there; false when the firmware does not accept the folder. */
static bool SelectFolderAndExec(const char *tapFileName) {
  char folder[KALIB_PATH_MAX];
  if (!LinuxFolderOf(tapFileName, folder)) return false;

  TYPE_HddFolder folderRecord;
  memset(&folderRecord, 0, sizeof(folderRecord));
  folderRecord.magic = TAP_FOLDER_RECORD_MAGIC;
  /* The firmware takes the folder without its leading '/'. */
  if (ApplHdd_SelectFolder(&folderRecord, folder + 1) != 0) return false;

  ApplHdd_SetWorkFolder(&folderRecord);
  TYPE_HddFolder **hddTapFolder = (TYPE_HddFolder **)FIS_vHddTapFolder();
  if (hddTapFolder != nullptr && *hddTapFolder != nullptr)
    memcpy(*hddTapFolder, &folderRecord, sizeof(folderRecord));

  char fileName[KALIB_PATH_MAX];
  fileName[0] = '\0';
  ConvertPathType(tapFileName, fileName, PK_FileName);
  Appl_ExecProgram(fileName);
  return true;
}

bool HDD_TAP_Start(const char *tapFileName, bool batchMode, void *parameterBlock, dword *tapId) {
  tTAPInfo info;
  if (!HDD_TAP_GetInfo(tapFileName, &info)) return false;
  if (tapId != nullptr) *tapId = info.TAPID;

  /* Without the firmware's folder selection and program start nothing can be
   * started; the wrappers would quietly do nothing and report success. */
  if (FIS_fwApplHdd_SelectFolder() == nullptr || FIS_fwAppl_ExecProgram() == nullptr) return false;

  tStartSegment batchMarker;
  if (batchMode) CreateSegment(batchMarker, TAP_BATCH_MODE_KEY, 1);

  tStartSegment handOver;
  kal_parametered_tap = nullptr;
  CreateSegment(handOver, TAP_START_PARAM_KEY, sizeof(TYPE_TapStartParameter));
  if (handOver.address != nullptr) {
    TYPE_TapStartParameter *record = (TYPE_TapStartParameter *)handOver.address;
    record->magic = TAP_START_PARAM_MAGIC;
    record->tapId = info.TAPID;
    record->param = parameterBlock;
    kal_parametered_tap = handOver.address;
  }

  ApplHdd_SaveWorkFolder();
  bool started = SelectFolderAndExec(tapFileName);

  RemoveSegment(batchMarker);
  RemoveSegment(handOver);
  kal_parametered_tap = nullptr;
  ApplHdd_RestoreWorkFolder();
  return started;
}

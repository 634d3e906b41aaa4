/* The simulated X-Tamber's kernel-mode driver: a WDM shell around the
 * simulator's core. Each root-enumerated device node is one unit, reached
 * through its device interface of class {73F85346-AF20-4235-B624-B69AE6792F5B};
 * the driver's control device is \DosDevices\{73F85346-...}; the simulator's
 * own test-control device is \DosDevices\XTamberSimulator.
 *
 * All requests are buffered. Every call into the core runs under one mutex at
 * passive level. A request the core answers later (an FCP transaction waiting
 * for its unit) pends and is completed by the driver's timer thread at its
 * time, or cancelled. A unit's requests hold its remove lock until they are
 * completed, so removing the unit waits for them; removal and unloading first
 * complete whatever still pends, so no caller is left waiting on a driver that
 * has gone. */
#include <ntifs.h>

#include "simulator/wdm/coreglue.h"

#define XT_TAG 0x6D745854u /* "TXtm" in pool dumps */

#define XT_CONTROL_LINK L"\\DosDevices\\{73F85346-AF20-4235-B624-B69AE6792F5B}"
#define XT_TEST_CONTROL_LINK L"\\DosDevices\\XTamberSimulator"

/* The request that hands the driver the panel's notification event, and the
 * test-control requests that plug units in or pull them out. */
#define XT_REGISTER_NOTIFY_EVENT 0x80882820u
#define XT_TEST_RESET 0x8A7E2400u            /* function 0x900 */
#define XT_TEST_SET_DEVICE_COUNT 0x8A7E2404u /* function 0x901 */
#define XT_TEST_GET_NODES 0x8A7E241Cu        /* function 0x907 */
#define XT_TEST_SET_CONTROL 0x8A7E2420u      /* function 0x908 */

typedef enum { KindUnit, KindControl, KindTestControl } DeviceKind;

typedef struct {
  DeviceKind kind;
  ULONG unit;
  PDEVICE_OBJECT lower;
  UNICODE_STRING interfaceName;
  BOOLEAN started;
  IO_REMOVE_LOCK removeLock; /* units only */
  BOOLEAN removing;          /* under pendingLock: the unit takes no more waiting requests */
} DeviceExtension;

/* Taken by every request. A fast mutex: uncontended it is one interlocked
 * operation, where a dispatcher mutex costs a wait on the system's objects
 * each time. Nothing waits while holding it, and it is never taken twice. */
static FAST_MUTEX machineLock;
static KMUTEX pnpLock; /* guards unitDevices and each unit's started flag */
static LARGE_INTEGER counterFrequency;
static PDEVICE_OBJECT unitDevices[XT_MAX_UNITS];
static PDEVICE_OBJECT controlDevice;
static PDEVICE_OBJECT testControlDevice;
static PKEVENT notifyEvent;     /* referenced; signalled on configuration changes */
static PFILE_OBJECT notifyFile; /* the handle that registered it */

/* Requests waiting for their time. */
static KSPIN_LOCK pendingLock;
static LIST_ENTRY pendingList;
static KEVENT pendingChanged;
static PETHREAD timerThread;
static volatile LONG stopping;

static UNICODE_STRING Text(PCWSTR text) {
  UNICODE_STRING string;
  RtlInitUnicodeString(&string, text);
  return string;
}

/* Microseconds since boot. KeQuerySystemTime reads the shared user page, which
 * Wine emulates by catching a fault on every read; the counter is cheap. */
static ULONGLONG NowUs(void) {
  const LARGE_INTEGER counter = KeQueryPerformanceCounter(NULL);
  const ULONGLONG frequency = (ULONGLONG)counterFrequency.QuadPart;
  const ULONGLONG ticks = (ULONGLONG)counter.QuadPart;
  return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

static void LockMachine(void) { ExAcquireFastMutex(&machineLock); }
static void UnlockMachine(void) { ExReleaseFastMutex(&machineLock); }

/* The core speaks in what the caller of DeviceIoControl sees. The driver's own
 * statuses (customer codes) pass through the system unchanged; the few system
 * ones go back to the NTSTATUS that the system turns into them. */
static NTSTATUS ToNtStatus(uint32_t status) {
  /* A table: one code a line. */
  /* clang-format off */
  switch (status) {
    case 0: return STATUS_SUCCESS;
    case 1: return STATUS_INVALID_DEVICE_REQUEST;
    case 6: return STATUS_INVALID_HANDLE;
    case 2: return STATUS_OBJECT_NAME_NOT_FOUND;
    case 5: return STATUS_ACCESS_DENIED;
    case 8: return STATUS_NO_MEMORY;
    case 87: return STATUS_INVALID_PARAMETER;
    case 121: return STATUS_IO_TIMEOUT;
    case 995: return STATUS_CANCELLED;
    case 259: return STATUS_NO_MORE_ENTRIES;
    case 1617: return STATUS_DEVICE_REMOVED;
    /* Any other system code comes out as ERROR_GEN_FAILURE (31). */
    default: return (status & 0x20000000) ? (NTSTATUS)status : STATUS_UNSUCCESSFUL;
  }
  /* clang-format on */
}

static DeviceExtension* ExtensionOf(PDEVICE_OBJECT device) {
  return (DeviceExtension*)device->DeviceExtension;
}

static BOOLEAN IsUnit(PDEVICE_OBJECT device) {
  return device != NULL && ExtensionOf(device)->kind == KindUnit;
}

/* A request to a unit takes the unit's remove lock; one that arrives while the
 * unit is being removed is refused. The other devices live as long as the
 * driver and need none. */
static BOOLEAN Enter(PDEVICE_OBJECT device, PIRP irp) {
  return !IsUnit(device) || NT_SUCCESS(IoAcquireRemoveLock(&ExtensionOf(device)->removeLock, irp));
}

/* Completes a request that holds no remove lock. */
static NTSTATUS CompleteUnheld(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

/* Completes a request that Enter let in, and lets go of its unit's remove
 * lock. The device is read first: the request is gone once completed. */
static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  const PDEVICE_OBJECT device = IoGetCurrentIrpStackLocation(irp)->DeviceObject;
  CompleteUnheld(irp, status, information);
  if (IsUnit(device)) IoReleaseRemoveLock(&ExtensionOf(device)->removeLock, irp);
  return status;
}

static void SignalNotifyEvent(void* context, uint32_t eventWord) {
  (void)context;
  (void)eventWord; /* the word was the panel's handle; the driver keeps the object */
  if (notifyEvent) KeSetEvent(notifyEvent, IO_NO_INCREMENT, FALSE);
}

/* The panel hands over an event handle of its own process. The driver makes
 * it its own: duplicated out of the caller's process, then referenced. A word
 * of 0 gives no event (the panel unregisters). */
static NTSTATUS ReferenceNotifyEvent(uint32_t word, PKEVENT* event) {
  OBJECT_ATTRIBUTES attributes;
  CLIENT_ID caller;
  HANDLE process = NULL, duplicate = NULL;
  NTSTATUS status;
  *event = NULL;
  if (word == 0) return STATUS_SUCCESS;
  InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
  caller.UniqueProcess = PsGetCurrentProcessId();
  caller.UniqueThread = NULL;
  status = ZwOpenProcess(&process, PROCESS_DUP_HANDLE, &attributes, &caller);
  if (!NT_SUCCESS(status)) return status;
  status = ZwDuplicateObject(process, (HANDLE)(ULONG_PTR)word, NtCurrentProcess(), &duplicate,
                             EVENT_MODIFY_STATE, OBJ_KERNEL_HANDLE, 0);
  ZwClose(process);
  if (!NT_SUCCESS(status)) return status;
  /* The headers declare the exported variable one pointer level too deep. */
  status = ObReferenceObjectByHandle(duplicate, EVENT_MODIFY_STATE, (POBJECT_TYPE)ExEventObjectType,
                                     KernelMode, (PVOID*)event, NULL);
  ZwClose(duplicate);
  return status;
}

/* Called with the machine locked: `event` (referenced, or NULL) becomes the
 * one the driver signals, on behalf of `file`. */
static void SwapNotifyEvent(PKEVENT event, PFILE_OBJECT file) {
  if (notifyEvent) ObDereferenceObject(notifyEvent);
  notifyEvent = event;
  notifyFile = event ? file : NULL;
}

/* Called with the machine locked, when `file` closes: the driver lets go of
 * the event that handle registered. */
static void ForgetNotifyEventOf(PFILE_OBJECT file) {
  if (file == NULL || file != notifyFile) return;
  XtDropNotify();
  SwapNotifyEvent(NULL, NULL);
}

/* ---- Device interfaces follow the units the machine has plugged in ---- */

static void UpdateInterfaces(void) {
  ULONG unit;
  KeWaitForSingleObject(&pnpLock, Executive, KernelMode, FALSE, NULL);
  for (unit = 0; unit < XT_MAX_UNITS; ++unit) {
    PDEVICE_OBJECT device = unitDevices[unit];
    DeviceExtension* extension;
    int present;
    if (!device) continue;
    extension = ExtensionOf(device);
    LockMachine();
    present = XtUnitPresent(unit);
    UnlockMachine();
    IoSetDeviceInterfaceState(&extension->interfaceName, extension->started && present);
  }
  KeReleaseMutex(&pnpLock, FALSE);
}

/* ---- Pending requests ---- */

typedef struct {
  ULONGLONG dueUs;
  NTSTATUS status;
  ULONG_PTR information;
} PendingInfo;

static PendingInfo* InfoOf(PIRP irp) { return (PendingInfo*)&irp->Tail.Overlay.DriverContext[0]; }

static void CancelPending(PDEVICE_OBJECT device, PIRP irp) {
  KIRQL irql;
  (void)device;
  IoReleaseCancelSpinLock(irp->CancelIrql);
  KeAcquireSpinLock(&pendingLock, &irql);
  RemoveEntryList(&irp->Tail.Overlay.ListEntry);
  KeReleaseSpinLock(&pendingLock, irql);
  Complete(irp, STATUS_CANCELLED, 0);
}

/* Called with pendingLock held: whether nothing would be left to complete a
 * request that waited now, its unit being removed or the driver unloading. */
static BOOLEAN NoOneLeftToComplete(PIRP irp) {
  const PDEVICE_OBJECT device = IoGetCurrentIrpStackLocation(irp)->DeviceObject;
  return stopping || (IsUnit(device) && ExtensionOf(device)->removing);
}

static NTSTATUS Pend(PIRP irp, ULONGLONG dueUs, NTSTATUS status, ULONG_PTR information) {
  KIRQL irql;
  PendingInfo* info = InfoOf(irp);
  info->dueUs = dueUs;
  info->status = status;
  info->information = information;
  IoMarkIrpPending(irp);
  KeAcquireSpinLock(&pendingLock, &irql);
  InsertTailList(&pendingList, &irp->Tail.Overlay.ListEntry);
  IoSetCancelRoutine(irp, CancelPending);
  if ((irp->Cancel || NoOneLeftToComplete(irp)) && IoSetCancelRoutine(irp, NULL) != NULL) {
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&pendingLock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
    return STATUS_PENDING;
  }
  KeReleaseSpinLock(&pendingLock, irql);
  KeSetEvent(&pendingChanged, IO_NO_INCREMENT, FALSE);
  return STATUS_PENDING;
}

/* Which pending requests to take: those due by `dueByUs`, or all of `file`'s
 * or of `device`'s when one is given. */
typedef struct {
  ULONGLONG dueByUs;
  PFILE_OBJECT file;
  PDEVICE_OBJECT device;
} PendingMatch;

static BOOLEAN Matches(const PendingMatch* match, PIRP irp) {
  const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  if (match->file) return stack->FileObject == match->file;
  if (match->device) return stack->DeviceObject == match->device;
  return InfoOf(irp)->dueUs <= match->dueByUs;
}

/* Takes the requests that match out of the list. A request whose cancel
 * routine is already running stays for that routine to take. */
static void TakePending(const PendingMatch* match, LIST_ENTRY* taken, ULONGLONG* nextDueUs) {
  KIRQL irql;
  LIST_ENTRY* entry;
  KeAcquireSpinLock(&pendingLock, &irql);
  for (entry = pendingList.Flink; entry != &pendingList;) {
    PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
    PendingInfo* info = InfoOf(irp);
    LIST_ENTRY* next = entry->Flink;
    const BOOLEAN matches = Matches(match, irp);
    if (matches && IoSetCancelRoutine(irp, NULL) != NULL) {
      RemoveEntryList(entry);
      InsertTailList(taken, entry);
    } else if (!matches && nextDueUs && info->dueUs < *nextDueUs) {
      *nextDueUs = info->dueUs;
    }
    entry = next;
  }
  KeReleaseSpinLock(&pendingLock, irql);
}

static void CompleteTaken(LIST_ENTRY* taken, BOOLEAN cancelled) {
  while (!IsListEmpty(taken)) {
    PIRP irp = CONTAINING_RECORD(RemoveHeadList(taken), IRP, Tail.Overlay.ListEntry);
    PendingInfo* info = InfoOf(irp);
    if (cancelled)
      Complete(irp, STATUS_CANCELLED, 0);
    else
      Complete(irp, info->status, info->information);
  }
}

/* Ends every pending request that matches as cancelled. */
static void CancelMatching(const PendingMatch* match) {
  LIST_ENTRY taken;
  InitializeListHead(&taken);
  TakePending(match, &taken, NULL);
  CompleteTaken(&taken, TRUE);
}

static VOID TimerThread(PVOID context) {
  (void)context;
  while (!stopping) {
    LIST_ENTRY taken;
    ULONGLONG nextDueUs = ~0ull;
    const PendingMatch due = {NowUs(), NULL, NULL};
    InitializeListHead(&taken);
    TakePending(&due, &taken, &nextDueUs);
    CompleteTaken(&taken, FALSE);
    if (nextDueUs == ~0ull) {
      KeWaitForSingleObject(&pendingChanged, Executive, KernelMode, FALSE, NULL);
    } else {
      const ULONGLONG now = NowUs();
      LARGE_INTEGER timeout;
      /* Relative, in 100 ns units; a zero wait just looks again. */
      timeout.QuadPart = nextDueUs > now ? -(LONGLONG)((nextDueUs - now) * 10) : 0;
      KeWaitForSingleObject(&pendingChanged, Executive, KernelMode, FALSE, &timeout);
    }
  }
  PsTerminateSystemThread(STATUS_SUCCESS);
}

/* ---- Dispatch ---- */

static NTSTATUS OnCreate(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* extension = ExtensionOf(device);
  PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
  uint64_t ref = 0;
  int opened = 1;
  if (!Enter(device, irp)) return CompleteUnheld(irp, STATUS_DELETE_PENDING, 0);
  LockMachine();
  if (extension->kind == KindUnit)
    opened = XtOpenUnit(extension->unit, &ref);
  else if (extension->kind == KindControl)
    opened = XtOpenControl(&ref);
  UnlockMachine();
  if (!opened) return Complete(irp, STATUS_OBJECT_NAME_NOT_FOUND, 0);
  file->FsContext = (PVOID)(ULONG_PTR)ref;
  return Complete(irp, STATUS_SUCCESS, 0);
}

/* A handle that closes takes its waiting requests with it, and the driver
 * lets go of the notification event it registered. Windows does this at
 * cleanup; Wine sends only the close, so both run it (the second finds
 * nothing left to do). A close never fails, even on a unit being removed. */
static NTSTATUS OnCleanupOrClose(PDEVICE_OBJECT device, PIRP irp) {
  PendingMatch ofFile = {0, NULL, NULL};
  const BOOLEAN entered = Enter(device, irp);
  ofFile.file = IoGetCurrentIrpStackLocation(irp)->FileObject;
  LockMachine();
  ForgetNotifyEventOf(ofFile.file);
  UnlockMachine();
  if (ofFile.file) CancelMatching(&ofFile);
  return entered ? Complete(irp, STATUS_SUCCESS, 0) : CompleteUnheld(irp, STATUS_SUCCESS, 0);
}

/* A bit for each unit whose device node has started: until all have, a unit
 * plugged in may still lack its interface. The shell's own question, since
 * the core knows nothing of device nodes. */
static NTSTATUS AnswerStartedNodes(PIRP irp, ULONG outSize) {
  ULONG unit, started = 0;
  if (outSize < sizeof started) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
  KeWaitForSingleObject(&pnpLock, Executive, KernelMode, FALSE, NULL);
  for (unit = 0; unit < XT_MAX_UNITS; ++unit) {
    const PDEVICE_OBJECT node = unitDevices[unit];
    if (node && ExtensionOf(node)->started) started |= 1u << unit;
  }
  KeReleaseMutex(&pnpLock, FALSE);
  RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &started, sizeof started);
  return Complete(irp, STATUS_SUCCESS, sizeof started);
}

static NTSTATUS OnDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* extension = ExtensionOf(device);
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
  uint8_t* buffer = (uint8_t*)irp->AssociatedIrp.SystemBuffer;
  uint8_t* input = NULL;
  ULONGLONG nowUs;
  PKEVENT event = NULL;
  BOOLEAN registering;
  XtCompletion done;

  if (!Enter(device, irp)) return CompleteUnheld(irp, STATUS_DELETE_PENDING, 0);
  /* Every request of the product and of the test control is buffered. */
  if ((code & 3) != METHOD_BUFFERED) return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  /* A request built inside the kernel may come without a handle. */
  if (stack->FileObject == NULL) return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  if (extension->kind == KindTestControl && code == XT_TEST_GET_NODES)
    return AnswerStartedNodes(irp, outSize);
  /* Input and output share the system buffer; the core reads one and writes
   * the other, so it gets a copy of the input. */
  if (inSize > 0) {
    input = (uint8_t*)ExAllocatePoolWithTag(NonPagedPool, inSize, XT_TAG);
    if (!input) return Complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
    RtlCopyMemory(input, buffer, inSize);
  }
  registering = extension->kind == KindControl && code == XT_REGISTER_NOTIFY_EVENT && inSize == 4;
  if (registering) {
    const NTSTATUS status = ReferenceNotifyEvent(*(const uint32_t*)input, &event);
    if (!NT_SUCCESS(status)) {
      ExFreePoolWithTag(input, XT_TAG);
      return Complete(irp, status, 0);
    }
  }

  LockMachine();
  /* Read under the lock, so requests reach the core in the order of their times. */
  nowUs = NowUs();
  if (extension->kind == KindTestControl)
    done = XtTestControl(code, input, inSize, outSize ? buffer : NULL, outSize, nowUs);
  else
    done = XtDispatch((uint64_t)(ULONG_PTR)stack->FileObject->FsContext, code, input, inSize,
                      outSize ? buffer : NULL, outSize, nowUs);
  /* The event is the driver's only once the request was accepted. */
  if (registering && done.status == 0)
    SwapNotifyEvent(event, stack->FileObject);
  else if (event)
    ObDereferenceObject(event);
  UnlockMachine();
  if (input) ExFreePoolWithTag(input, XT_TAG);
  if (extension->kind == KindTestControl && done.status == 0 &&
      (code == XT_TEST_RESET || code == XT_TEST_SET_DEVICE_COUNT || code == XT_TEST_SET_CONTROL))
    UpdateInterfaces();

  {
    /* The system copies back as many bytes as the driver reports: never more
     * than the caller's buffer holds. */
    const ULONG_PTR information = done.bytes < outSize ? done.bytes : outSize;
    const NTSTATUS status = ToNtStatus(done.status);
    if (done.completeAtUs > nowUs) return Pend(irp, done.completeAtUs, status, information);
    return Complete(irp, status, information);
  }
}

static NTSTATUS ForwardCompleted(PDEVICE_OBJECT device, PIRP irp, PVOID context) {
  (void)device;
  (void)irp;
  KeSetEvent((PKEVENT)context, IO_NO_INCREMENT, FALSE);
  return STATUS_MORE_PROCESSING_REQUIRED;
}

static NTSTATUS ForwardAndWait(DeviceExtension* extension, PIRP irp) {
  KEVENT done;
  KeInitializeEvent(&done, NotificationEvent, FALSE);
  IoCopyCurrentIrpStackLocationToNext(irp);
  IoSetCompletionRoutine(irp, ForwardCompleted, &done, TRUE, TRUE, TRUE);
  if (IoCallDriver(extension->lower, irp) == STATUS_PENDING)
    KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, NULL);
  return irp->IoStatus.Status;
}

/* Passes a unit's request down to the device node below and lets go of the
 * remove lock it took. */
static NTSTATUS PassDown(DeviceExtension* extension, PIRP irp) {
  NTSTATUS status;
  IoSkipCurrentIrpStackLocation(irp);
  status = IoCallDriver(extension->lower, irp);
  IoReleaseRemoveLock(&extension->removeLock, irp);
  return status;
}

/* The unit's requests still waiting end now rather than at their time, and
 * none waits any more; then removal waits for those still being dispatched. */
static void DrainForRemoval(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* extension = ExtensionOf(device);
  const PendingMatch ofUnit = {0, NULL, device};
  KIRQL irql;
  KeAcquireSpinLock(&pendingLock, &irql);
  extension->removing = TRUE;
  KeReleaseSpinLock(&pendingLock, irql);
  CancelMatching(&ofUnit);
  IoReleaseRemoveLockAndWait(&extension->removeLock, irp);
}

static NTSTATUS OnPnp(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* extension = ExtensionOf(device);
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  NTSTATUS status;
  if (extension->kind != KindUnit)
    return Complete(irp, irp->IoStatus.Status, irp->IoStatus.Information);
  if (!Enter(device, irp)) return CompleteUnheld(irp, STATUS_DELETE_PENDING, 0);

  switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
      status = ForwardAndWait(extension, irp);
      if (NT_SUCCESS(status)) {
        KeWaitForSingleObject(&pnpLock, Executive, KernelMode, FALSE, NULL);
        extension->started = TRUE;
        KeReleaseMutex(&pnpLock, FALSE);
        UpdateInterfaces();
      }
      return Complete(irp, status, 0);
    case IRP_MN_SURPRISE_REMOVAL:
      KeWaitForSingleObject(&pnpLock, Executive, KernelMode, FALSE, NULL);
      extension->started = FALSE;
      IoSetDeviceInterfaceState(&extension->interfaceName, FALSE);
      KeReleaseMutex(&pnpLock, FALSE);
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_REMOVE_DEVICE:
      KeWaitForSingleObject(&pnpLock, Executive, KernelMode, FALSE, NULL);
      extension->started = FALSE;
      IoSetDeviceInterfaceState(&extension->interfaceName, FALSE);
      unitDevices[extension->unit] = NULL;
      KeReleaseMutex(&pnpLock, FALSE);
      DrainForRemoval(device, irp);
      irp->IoStatus.Status = STATUS_SUCCESS;
      IoSkipCurrentIrpStackLocation(irp);
      status = IoCallDriver(extension->lower, irp);
      IoDetachDevice(extension->lower);
      RtlFreeUnicodeString(&extension->interfaceName);
      IoDeleteDevice(device);
      return status;
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    default:
      break;
  }
  return PassDown(extension, irp);
}

static NTSTATUS OnPower(PDEVICE_OBJECT device, PIRP irp) {
  DeviceExtension* extension = ExtensionOf(device);
  NTSTATUS status;
  PoStartNextPowerIrp(irp);
  if (extension->kind != KindUnit) return Complete(irp, STATUS_SUCCESS, 0);
  if (!Enter(device, irp)) return CompleteUnheld(irp, STATUS_DELETE_PENDING, 0);
  IoSkipCurrentIrpStackLocation(irp);
  status = PoCallDriver(extension->lower, irp);
  IoReleaseRemoveLock(&extension->removeLock, irp);
  return status;
}

/* The unit a device node stands for: its instance number, read from the
 * interface's link name "\??\ROOT#XTAMBER#0003#{...}". */
static ULONG UnitOfLink(const UNICODE_STRING* link) {
  const USHORT length = link->Length / sizeof(WCHAR);
  USHORT i, hashes = 0;
  ULONG unit = 0;
  for (i = 0; i < length && hashes < 3; ++i) {
    const WCHAR c = link->Buffer[i];
    if (c == L'#')
      ++hashes;
    else if (hashes == 2 && c >= L'0' && c <= L'9')
      unit = unit * 10 + (ULONG)(c - L'0');
  }
  return unit;
}

static NTSTATUS AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
  static const GUID interfaceClass = {
      0x73F85346, 0xAF20, 0x4235, {0xB6, 0x24, 0xB6, 0x9A, 0xE6, 0x79, 0x2F, 0x5B}};
  PDEVICE_OBJECT device = NULL;
  DeviceExtension* extension;
  ULONG unit;
  NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceExtension), NULL, FILE_DEVICE_UNKNOWN,
                                   FILE_DEVICE_SECURE_OPEN, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  extension = ExtensionOf(device);
  RtlZeroMemory(extension, sizeof *extension);
  extension->kind = KindUnit;
  IoInitializeRemoveLock(&extension->removeLock, XT_TAG, 0, 0);
  /* Under the lock that UpdateInterfaces holds while it switches interfaces:
   * the system's list of interfaces is not guarded against both at once, and
   * the slot is checked and taken in one step. */
  KeWaitForSingleObject(&pnpLock, Executive, KernelMode, FALSE, NULL);
  status = IoRegisterDeviceInterface(pdo, &interfaceClass, NULL, &extension->interfaceName);
  unit = NT_SUCCESS(status) ? UnitOfLink(&extension->interfaceName) : XT_MAX_UNITS;
  if (unit < XT_MAX_UNITS && unitDevices[unit] == NULL) {
    extension->unit = unit;
    extension->lower = IoAttachDeviceToDeviceStack(device, pdo);
  }
  if (!extension->lower) {
    KeReleaseMutex(&pnpLock, FALSE);
    if (NT_SUCCESS(status)) RtlFreeUnicodeString(&extension->interfaceName);
    IoDeleteDevice(device);
    return NT_SUCCESS(status) ? STATUS_NO_SUCH_DEVICE : status;
  }
  device->Flags |= DO_BUFFERED_IO | DO_POWER_PAGABLE;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  unitDevices[unit] = device;
  KeReleaseMutex(&pnpLock, FALSE);
  return STATUS_SUCCESS;
}

static NTSTATUS CreateNamedDevice(PDRIVER_OBJECT driver, PCWSTR name, PCWSTR link, DeviceKind kind,
                                  PDEVICE_OBJECT* created) {
  UNICODE_STRING deviceName = Text(name), linkName = Text(link);
  PDEVICE_OBJECT device = NULL;
  DeviceExtension* extension;
  NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceExtension), &deviceName,
                                   FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  extension = ExtensionOf(device);
  RtlZeroMemory(extension, sizeof *extension);
  extension->kind = kind;
  status = IoCreateSymbolicLink(&linkName, &deviceName);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }
  device->Flags |= DO_BUFFERED_IO;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  *created = device;
  return STATUS_SUCCESS;
}

/* Every request still waiting ends as cancelled: with the timer thread gone
 * nothing else would complete it, and its caller would wait for ever. Pend
 * sees `stopping` and completes at once whatever comes later. */
static VOID Unload(PDRIVER_OBJECT driver) {
  UNICODE_STRING control = Text(XT_CONTROL_LINK);
  UNICODE_STRING testControl = Text(XT_TEST_CONTROL_LINK);
  const PendingMatch all = {~0ull, NULL, NULL};
  KIRQL irql;
  (void)driver;
  KeAcquireSpinLock(&pendingLock, &irql);
  InterlockedExchange(&stopping, 1);
  KeReleaseSpinLock(&pendingLock, irql);
  KeSetEvent(&pendingChanged, IO_NO_INCREMENT, FALSE);
  if (timerThread) {
    KeWaitForSingleObject(timerThread, Executive, KernelMode, FALSE, NULL);
    ObDereferenceObject(timerThread);
  }
  CancelMatching(&all);
  IoDeleteSymbolicLink(&control);
  IoDeleteSymbolicLink(&testControl);
  if (controlDevice) IoDeleteDevice(controlDevice);
  if (testControlDevice) IoDeleteDevice(testControlDevice);
  if (notifyEvent) ObDereferenceObject(notifyEvent);
}

NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  HANDLE thread;
  NTSTATUS status;
  (void)registryPath;
  ExInitializeFastMutex(&machineLock);
  KeInitializeMutex(&pnpLock, 0);
  KeInitializeSpinLock(&pendingLock);
  InitializeListHead(&pendingList);
  KeInitializeEvent(&pendingChanged, SynchronizationEvent, FALSE);
  KeQueryPerformanceCounter(&counterFrequency);
  XtInit(NowUs());
  XtSetNotify(SignalNotifyEvent, NULL);

  driver->MajorFunction[IRP_MJ_CREATE] = OnCreate;
  driver->MajorFunction[IRP_MJ_CLOSE] = OnCleanupOrClose;
  driver->MajorFunction[IRP_MJ_CLEANUP] = OnCleanupOrClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = OnDeviceControl;
  driver->MajorFunction[IRP_MJ_PNP] = OnPnp;
  driver->MajorFunction[IRP_MJ_POWER] = OnPower;
  driver->DriverExtension->AddDevice = AddDevice;
  driver->DriverUnload = Unload;

  status = CreateNamedDevice(driver, L"\\Device\\XTamberControl", XT_CONTROL_LINK, KindControl,
                             &controlDevice);
  if (NT_SUCCESS(status))
    status = CreateNamedDevice(driver, L"\\Device\\XTamberSimulator", XT_TEST_CONTROL_LINK,
                               KindTestControl, &testControlDevice);
  if (NT_SUCCESS(status))
    status = PsCreateSystemThread(&thread, THREAD_ALL_ACCESS, NULL, NULL, NULL, TimerThread, NULL);
  if (NT_SUCCESS(status)) {
    const NTSTATUS referenced = ObReferenceObjectByHandle(thread, SYNCHRONIZE, NULL, KernelMode,
                                                          (PVOID*)&timerThread, NULL);
    ZwClose(thread);
    if (!NT_SUCCESS(referenced)) timerThread = NULL;
  }
  if (!NT_SUCCESS(status)) Unload(driver);
  return status;
}

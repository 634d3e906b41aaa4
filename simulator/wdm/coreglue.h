/* The simulator's core as the kernel-mode driver shell sees it: plain C
 * functions over one machine. The shell brings the time, the buffers and the
 * locking (every call under one lock), and carries out each completion. */
#ifndef SIMULATOR_WDM_COREGLUE_H
#define SIMULATOR_WDM_COREGLUE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define XT_MAX_UNITS 8

typedef struct XtCompletion {
  uint32_t status; /* 0, a Win32 code of the system, or a driver status */
  uint32_t bytes;
  uint64_t completeAtUs;
} XtCompletion;

/* The driver as loaded: one unit plugged in, no faults. */
void XtInit(uint64_t nowUs);

/* Called when the driver signals the event the panel registered. */
void XtSetNotify(void (*signal)(void* context, uint32_t eventWord), void* context);

/* A handle to unit `unit` as it is now, or to the control device. 0 when
 * there is no such unit, or no control device (a fault). */
int XtOpenUnit(uint32_t unit, uint64_t* ref);
int XtOpenControl(uint64_t* ref);

XtCompletion XtDispatch(uint64_t ref, uint32_t code, const uint8_t* in, uint32_t inSize,
                        uint8_t* out, uint32_t outSize, uint64_t nowUs);

/* The test-control device's requests. */
XtCompletion XtTestControl(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out,
                           uint32_t outSize, uint64_t nowUs);

/* The handle that registered the notification event has closed. */
void XtDropNotify(void);

/* Whether unit `unit` is plugged in: its interface is enabled only then. */
int XtUnitPresent(uint32_t unit);

#ifdef __cplusplus
}
#endif

#endif

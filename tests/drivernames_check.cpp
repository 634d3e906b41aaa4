// Compiles only while the mixer's engine and the control panel can share one
// translation unit: each keeps its driver status and version record in a
// namespace of its own, so the two version layouts never meet under one name.
#include <cstddef>
#include <type_traits>

#include "korvaneobjects/driverstatus.h"
#include "korvaneobjects/fcprecords.h"
#include "panel/driverrecords.h"

static_assert(!std::is_same_v<korvane::DriverVersion, qdl::DriverVersion>);

// Both programs ask the driver the same version request and accept the same
// interface versions, so both records read the two version bytes alike.
static_assert(sizeof(korvane::DriverVersion) == sizeof(qdl::DriverVersion));
static_assert(offsetof(korvane::DriverVersion, interfaceMajor) ==
              offsetof(qdl::DriverVersion, interfaceMajor));
static_assert(offsetof(korvane::DriverVersion, interfaceMinor) ==
              offsetof(qdl::DriverVersion, interfaceMinor));
static_assert(korvane::kIoctlGetVersion == DriverRequest::kGetDriverVersion);
static_assert(korvane::kStatusIncompatibleVersion == qdl::kDriverIncompatibleVersion);

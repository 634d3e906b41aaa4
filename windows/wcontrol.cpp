#include "windows/wcontrol.h"

#include "velmora/velmora.h"

std::int32_t WControl::GetInteger() { return KMXGetInteger(ParameterId()); }

void WControl::SetInteger(std::int32_t value) { KMXSetInteger(ParameterId(), value); }

double WControl::GetFloat() { return KMXGetFloat(ParameterId()); }

void WControl::SetFloat(double value) { KMXSetFloat(ParameterId(), value); }

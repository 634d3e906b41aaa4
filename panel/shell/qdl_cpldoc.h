// The panel's document: it holds nothing (every setting lives in the driver)
// and exists because the single-document template makes one.
#pragma once

#include "panel/app/document.h"

class CQDL_CPLDoc : public app::Document {};

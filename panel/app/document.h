// The document of the single-document template. The panel's holds no data;
// the template wants one all the same, and it is where data would live.
#pragma once

namespace app {

class Document {
 public:
  virtual ~Document() = default;
};

}  // namespace app

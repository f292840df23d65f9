// The packing request of the demo product (examples/demo) as the packer's tests make it.
#pragma once

#include "PackStep.h"

namespace packer {

inline PackRequest DemoRequest() {
  PackRequest request;
  request.productName = "Norvane";
  request.version = "1.6.0003.0000.0035";
  request.configPath = DEMO_DIR "/appConfig.xml";
  request.productDir = DEMO_DIR "/product";
  request.listPath = DEMO_DIR "/product.list";
  return request;
}

}  // namespace packer

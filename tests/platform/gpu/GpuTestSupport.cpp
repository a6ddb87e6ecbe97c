#include "tests/platform/gpu/GpuTestSupport.h"

std::shared_ptr<gpu::Device> GpuTest::device_;
std::string GpuTest::reason_;

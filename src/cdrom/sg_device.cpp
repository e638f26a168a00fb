#include "cdrom/sg_device.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "cdrom/sg_request.h"

namespace sonvarek {

std::unique_ptr<SgDevice> SgDevice::Open(const std::string& path, int& error) {
  bool readOnly = false;
  int descriptor = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    readOnly = true;
    descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }
  if (descriptor < 0) {
    error = errno;
    return nullptr;
  }
  error = 0;
  return std::unique_ptr<SgDevice>(new SgDevice(descriptor, readOnly));
}

SgDevice::~SgDevice() { ::close(descriptor_); }

ScsiOutcome SgDevice::Execute(const ScsiRequest& request) {
  SenseBytes sense{};
  sg_io_hdr_t header = BuildSgRequest(request, sense.data(), static_cast<uint8_t>(sense.size()));
  int result;
  do {
    result = ::ioctl(descriptor_, SG_IO, &header);
  } while (result < 0 && errno == EINTR);
  return OutcomeOfSgRequest(header, result, result < 0 ? errno : 0);
}

}  // namespace sonvarek

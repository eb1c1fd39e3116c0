// What the system-information window shows on Linux: memory from /proc/meminfo, the system
// from /etc/os-release and uname, the processor from /proc/cpuinfo. The readers go through
// SystemSource so tests give their own texts.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

struct MemoryStatus {
  uint64_t totalPhys = 0, availPhys = 0;        // bytes
  uint64_t totalVirtual = 0, availVirtual = 0;  // physical plus swap, bytes
};

struct KernelName {
  std::string sysname, release, version, machine;
};

class SystemSource {
 public:
  virtual ~SystemSource();
  // The file's text, "" when it cannot be read.
  virtual std::string ReadText(const std::string& path) const;
  virtual KernelName Uname() const;
};
const SystemSource& RealSystem();

MemoryStatus ParseMemInfo(std::string_view meminfo);
// Whole mebibytes, rounded down, followed by " MB".
std::string MegabytesText(uint64_t bytes);
// The four system lines: the distribution's name, its version, the kernel and its build.
std::array<std::string, 4> SystemLines(std::string_view osRelease, const KernelName& kernel);
// The kernel's build number and date from uname's version text ("#1 SMP PREEMPT_DYNAMIC
// Debian 6.1.99-1 (2024-07-15)" gives "Build 1 of 2024-07-15"); a text that does not start
// with "#<build>" as it is.
std::string KernelBuild(const std::string& version);
// The first "model name" of the processor list (other architectures: "Processor", "cpu model"),
// else the machine type.
std::string ProcessorName(std::string_view cpuinfo, const KernelName& kernel);

// Gives the heap's free pages back to the system, after a large structure was freed.
void ReturnFreeMemory();

}  // namespace plat

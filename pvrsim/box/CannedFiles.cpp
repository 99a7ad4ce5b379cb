// CannedFiles.cpp - the few files and outputs of the box's own system that TAPs read: the
// name-server configuration and the network card as "ifconfig" shows it.
// They are fixed texts; nothing of the host's configuration shows through.
#include "Box.h"
#include "BoxInternal.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace pvrsim::box::detail {

namespace {
constexpr char kResolvConf[] =
    "domain box\n"
    "nameserver 192.168.1.1\n";

std::string macText() {
  const unsigned char *mac = config().macAddress;
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                mac[5]);
  return text;
}

// Laid out as busybox's ifconfig prints it, trailing blanks included.
std::string ethernetText() {
  return "eth0      Link encap:Ethernet  HWaddr " + macText() +
         "  \n"
         "          inet addr:192.168.1.50  Bcast:192.168.1.255  Mask:255.255.255.0\n"
         "          UP BROADCAST RUNNING MULTICAST  MTU:1500  Metric:1\n"
         "          RX packets:0 errors:0 dropped:0 overruns:0 frame:0\n"
         "          TX packets:0 errors:0 dropped:0 overruns:0 carrier:0\n"
         "          collisions:0 txqueuelen:1000 \n"
         "          RX bytes:0 (0.0 B)  TX bytes:0 (0.0 B)\n"
         "\n";
}

std::string loopbackText() {
  return "lo        Link encap:Local Loopback  \n"
         "          inet addr:127.0.0.1  Mask:255.0.0.0\n"
         "          UP LOOPBACK RUNNING  MTU:16436  Metric:1\n"
         "          RX packets:0 errors:0 dropped:0 overruns:0 frame:0\n"
         "          TX packets:0 errors:0 dropped:0 overruns:0 carrier:0\n"
         "          collisions:0 txqueuelen:0 \n"
         "          RX bytes:0 (0.0 B)  TX bytes:0 (0.0 B)\n"
         "\n";
}
}  // namespace

bool cannedFileContent(const std::string &boxPath, std::string &content) {
  if (boxPath != "/etc/resolv.conf") return false;
  content = kResolvConf;
  return true;
}

int openCannedFile(const std::string &boxPath) {
  std::string content;
  if (!cannedFileContent(boxPath, content)) return -1;
  int fd = memfd_create("canned", MFD_CLOEXEC);
  if (fd < 0) return -1;
  if (::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
      ::lseek(fd, 0, SEEK_SET) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void statCannedFile(const std::string &content, struct stat64 &st) {
  std::memset(&st, 0, sizeof st);
  st.st_mode = S_IFREG | 0644;
  st.st_nlink = 1;
  st.st_size = static_cast<off64_t>(content.size());
  st.st_blksize = 4096;
  st.st_blocks = (st.st_size + 511) / 512;
  st.st_atime = st.st_mtime = st.st_ctime = std::time(nullptr);
}

bool ifconfigText(const std::string &interface, std::string &text) {
  if (interface == "eth0") {
    text = ethernetText();
  } else if (interface == "lo") {
    text = loopbackText();
  } else if (interface.empty()) {
    text = ethernetText() + loopbackText();
  } else {
    return false;
  }
  return true;
}

}  // namespace pvrsim::box::detail

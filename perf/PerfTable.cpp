// PerfTable.cpp - counts the instructions of every operation of perf_ops: on the PC under
// valgrind's callgrind (only what runs inside PerfRun is collected), and
// for the box's MIPS build under qemu-mipsel, from its log of translated
// blocks (in_asm: the instructions of each block) and executed blocks
// (exec, with chaining off so that every execution is logged): the sizes
// of the blocks executed from PerfBegin to PerfEnd are summed.  Prints one
// table: instructions on MIPS and x86, OSD bytes, and the time at the
// box's assumed clock.  Exits 1 when a limit on a count is exceeded: a
// cursor move costs at most 15 % of a full menu update, in OSD bytes and
// in instructions on both machines.
//
//     perf_table --host-ops BIN --files DIR --host-template TAP [--host-installer TAP]
//                [--mips-ops BIN --mips-template TAP --sysroot DIR [--mips-installer TAP]]
//                [--mhz 266] [--ipc 1] [--only OP,OP...]
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::map<std::string, std::string> args;

std::string Arg(const std::string &name, const std::string &fallback = "") {
  auto it = args.find(name);
  return it == args.end() ? fallback : it->second;
}

// Single quotes around a word for the shell.
std::string Quote(const std::string &word) {
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Row {
  std::string name, what;
  long long mips = -1, x86 = -1, osdBytes = -1;
};

// Runs a command and returns its standard output; empty on failure.
bool RunCapture(const std::string &command, std::string &output) {
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  size_t n;
  output.clear();
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return pclose(pipe) == 0;
}

long long OsdBytes(const std::string &output) {
  const char *at = std::strstr(output.c_str(), "osd_bytes ");
  return at ? std::atoll(at + 10) : -1;
}

std::string OpArgs(const std::string &op, const std::string &templateTap, const std::string &installer) {
  std::string line = " " + Quote(op) + " " + Quote(Arg("--files")) + " " + Quote(templateTap);
  return installer.empty() ? line : line + " " + Quote(installer);
}

// x86: callgrind's total of the collected instructions.
bool CountHost(Row &row) {
  std::string out = std::string(P_tmpdir) + "/perf_table." + std::to_string(getpid()) + ".callgrind";
  std::string command =
      "valgrind --tool=callgrind --toggle-collect=PerfRun --callgrind-out-file=" + Quote(out) + " " +
      Quote(Arg("--host-ops")) + OpArgs(row.name, Arg("--host-template"), Arg("--host-installer")) +
      " 2>/dev/null";
  std::string output;
  bool ran = RunCapture(command, output);
  row.osdBytes = OsdBytes(output);
  FILE *f = std::fopen(out.c_str(), "r");
  char line[512];
  while (f && std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "totals:", 7) == 0) row.x86 = std::atoll(line + 7);
  if (f) std::fclose(f);
  std::remove(out.c_str());
  return ran && row.x86 >= 0;
}

// MIPS: the qemu log is read through a pipe as it is written (it would be
// hundreds of megabytes as a file).
bool CountMips(Row &row) {
  std::string stdoutFile = std::string(P_tmpdir) + "/perf_table." + std::to_string(getpid()) + ".out";
  std::string command = "qemu-mipsel -L " + Quote(Arg("--sysroot")) +
                        " -d in_asm,exec,nochain -D /dev/stderr " + Quote(Arg("--mips-ops")) +
                        OpArgs(row.name, Arg("--mips-template"), Arg("--mips-installer")) + " 2>&1 >" +
                        Quote(stdoutFile);
  FILE *log = popen(command.c_str(), "r");
  if (log == nullptr) return false;
  std::unordered_map<unsigned, unsigned> blockSize;  // instructions of the block at each address
  unsigned blockStart = 0, blockCount = 0;
  bool inBlock = false, counting = false, done = false;
  long long total = 0;
  char line[1024];
  while (std::fgets(line, sizeof line, log)) {
    if (done) continue;  // drain the pipe
    if (std::strncmp(line, "IN:", 3) == 0) {
      inBlock = true;
      blockCount = 0;
    } else if (inBlock && line[0] == '0' && line[1] == 'x') {
      unsigned address = (unsigned)std::strtoul(line, nullptr, 16);
      if (blockCount == 0) blockStart = address;
      blockCount++;
    } else if (inBlock && (line[0] == '\n' || line[0] == '-')) {
      if (blockCount > 0) blockSize[blockStart] = blockCount;
      inBlock = false;
    } else if (std::strncmp(line, "Trace ", 6) == 0) {
      // Trace 0: 0xHOST [cs_base/pc/flags/cflags] symbol
      const char *bracket = std::strchr(line, '[');
      const char *slash = bracket ? std::strchr(bracket, '/') : nullptr;
      if (slash == nullptr) continue;
      unsigned pc = (unsigned)std::strtoul(slash + 1, nullptr, 16);
      const char *symbol = std::strchr(slash, ']');
      std::string name = symbol ? symbol + 1 : "";
      while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
      while (!name.empty() && name.front() == ' ') name.erase(0, 1);
      if (name == "PerfBegin") {
        counting = true;
        total = 0;
        continue;
      }
      if (name == "PerfEnd") {
        done = counting;
        counting = false;
        continue;
      }
      if (counting) total += blockSize[pc];
    }
  }
  bool ran = pclose(log) == 0;
  FILE *f = std::fopen(stdoutFile.c_str(), "r");
  std::string output;
  while (f && std::fgets(line, sizeof line, f)) output += line;
  if (f) std::fclose(f);
  std::remove(stdoutFile.c_str());
  if (!ran || !done) return false;
  row.mips = total;
  if (row.osdBytes < 0) row.osdBytes = OsdBytes(output);
  return true;
}

std::string Figure(long long n) {
  if (n < 0) return "-";
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); i++) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

const Row *Find(const std::vector<Row> &rows, const char *name) {
  for (const Row &r : rows)
    if (r.name == name) return &r;
  return nullptr;
}

// A move's share of a full update; false when over the limit.
bool WithinShare(const char *what, long long move, long long full, double limit) {
  if (move < 0 || full <= 0) return true;
  double share = double(move) / double(full);
  std::printf("  cursor move / full update, %-16s %5.1f %% (limit %.0f %%)\n", what, 100 * share,
              100 * limit);
  return share <= limit;
}

}  // namespace

int main(int argc, char **argv) {
  for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
  if (Arg("--host-ops").empty() || Arg("--files").empty() || Arg("--host-template").empty()) {
    std::fprintf(stderr,
                 "usage: perf_table --host-ops BIN --files DIR --host-template TAP [--host-installer TAP] "
                 "[--mips-ops BIN --mips-template TAP --sysroot DIR [--mips-installer TAP]] [--mhz N] "
                 "[--ipc N] [--only OPS]\n");
    return 2;
  }
  bool mips = !Arg("--mips-ops").empty();
  double mhz = std::atof(Arg("--mhz", "266").c_str()), ipc = std::atof(Arg("--ipc", "1").c_str());
  std::string only = "," + Arg("--only") + ",";

  std::string list;
  if (!RunCapture(Quote(Arg("--host-ops")) + " --list", list)) {
    std::fprintf(stderr, "perf_table: %s --list failed\n", Arg("--host-ops").c_str());
    return 2;
  }
  std::vector<Row> rows;
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find('\n', at), tab = list.find('\t', at);
    if (end == std::string::npos) end = list.size();
    if (tab < end) {
      Row row{list.substr(at, tab - at), list.substr(tab + 1, end - tab - 1)};
      if (only == ",," || only.find("," + row.name + ",") != std::string::npos) rows.push_back(row);
    }
    at = end + 1;
  }

  bool failed = false;
  for (Row &row : rows) {
    if (!CountHost(row)) {
      std::fprintf(stderr, "perf_table: %s: the callgrind run failed\n", row.name.c_str());
      failed = true;
    }
    if (mips && !CountMips(row)) {
      std::fprintf(stderr, "perf_table: %s: the qemu-mipsel run failed\n", row.name.c_str());
      failed = true;
    }
  }
  std::printf(
      "Instructions per operation (MIPS32 under qemu-mipsel, x86 under callgrind); time at the box's\n"
      "assumed clock of %.0f MHz and %.2f instructions per cycle (1 is the optimistic bound)\n\n",
      mhz, ipc);
  std::printf("%-15s %-42s %14s %14s %12s %12s\n", "operation", "what", "MIPS instr", "x86 instr",
              "OSD bytes", "box ms");
  for (const Row &row : rows) {
    char ms[32] = "-";
    if (row.mips >= 0) std::snprintf(ms, sizeof ms, "%.3f", double(row.mips) / (mhz * 1e3 * ipc));
    std::printf("%-15s %-42s %14s %14s %12s %12s\n", row.name.c_str(), row.what.c_str(),
                Figure(row.mips).c_str(), Figure(row.x86).c_str(), Figure(row.osdBytes).c_str(), ms);
  }
  const Row *move = Find(rows, "menu_move"), *full = Find(rows, "menu_full");
  if (move && full) {
    std::printf("\n");
    failed |= !WithinShare("OSD bytes", move->osdBytes, full->osdBytes, 0.15);
    failed |= !WithinShare("x86 instructions", move->x86, full->x86, 0.15);
    failed |= !WithinShare("MIPS instructions", move->mips, full->mips, 0.15);
  }
  return failed ? 1 : 0;
}

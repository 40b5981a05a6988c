// A folder on a file system of its own, made for one test: small (to run
// out of space on purpose) or read-only (to refuse every write). Mounting
// needs the right to mount; where it is missing the folder is not made and
// `reason` says why, for the test to skip with it.
#ifndef QUIL_TESTS_SUPPORT_SMALL_FS_H
#define QUIL_TESTS_SUPPORT_SMALL_FS_H

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

struct MountedFolder {
  std::string path;    // empty when not mounted
  std::string reason;  // why not
  bool mounted = false;

  // kib: the size of the file system.
  explicit MountedFolder(long kib) {
    char tmpl[] = "/tmp/quilfsXXXXXX";
    if (!mkdtemp(tmpl)) {
      reason = std::string("no temporary folder: ") + strerror(errno);
      return;
    }
    path = tmpl;
    std::string opts = "size=" + std::to_string(kib) + "k,mode=0777";
    if (mount("tmpfs", path.c_str(), "tmpfs", 0, opts.c_str()) != 0) {
      reason = std::string("can't mount a small file system here: ") + strerror(errno);
      rmdir(path.c_str());
      path.clear();
      return;
    }
    mounted = true;
  }
  // From now on every write fails (what was written stays readable).
  bool MakeReadOnly() {
    if (!mounted) return false;
    return mount("tmpfs", path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  ~MountedFolder() {
    if (!mounted) return;
    umount2(path.c_str(), MNT_DETACH);
    rmdir(path.c_str());
  }
  MountedFolder(const MountedFolder&) = delete;
  MountedFolder& operator=(const MountedFolder&) = delete;
};

#endif

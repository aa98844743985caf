#pragma once
// The volume settings and mount options that keep a database directory whole
// on a GlusterFS volume. They have one home: the example blocks of
// docs/scale-out.md that follow the marker line, which administrators copy and
// the scale-out test reads, so the two cannot drift apart.
//
// The blocks hold shell commands and fstab lines; a line ending in "\"
// continues on the next, "#" starts a comment. Three forms are read:
//   gluster volume set VOLUME KEY VALUE [KEY VALUE]...
//   mount -t glusterfs -o NAME=VALUE[,NAME=VALUE]... SERVER:/VOLUME MOUNTPOINT
//   SERVER:/VOLUME MOUNTPOINT glusterfs OPTIONS 0 0          (an fstab line)
// The fstab line's options, without "defaults" and "_netdev", must be the
// mount command's.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace dm::test {

// The line before each block the settings are read from.
inline constexpr char kScaleOutSettingsMarker[] = "<!-- scale-out settings -->";

struct ScaleOutSettings {
    std::vector<std::pair<std::string, std::string>> volumeOptions; // in the order given
    std::vector<std::string> mountOptions;                           // "attribute-timeout=0", ...
};

// The settings of the document's text; false with a reason when a block is
// missing, a form is malformed, or the fstab line disagrees with the mount command.
bool ParseScaleOutSettings(const std::string& document, ScaleOutSettings& settings, std::string& error);
bool ReadScaleOutSettings(const std::filesystem::path& document, ScaleOutSettings& settings, std::string& error);

// A mount option "name=value" as the client program takes it: "--name=value".
std::string ClientArgumentOf(const std::string& mountOption);

} // namespace dm::test

#include "name_rules.h"

#include <vector>

#include "package/stored_name.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::vector<std::string> Components(const std::string& name) {
  std::vector<std::string> parts(1);
  for (char c : name) {
    if (IsSeparator(c)) parts.emplace_back();
    else parts.back() += c;
  }
  return parts;
}

// The device a component opens on Windows, or "".
std::string DeviceName(const std::string& component) {
  if (!IsDeviceName(component.c_str(), int(component.size()))) return "";
  std::string base = Stored_Upper(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  return base;
}

bool OnlyDotsAndBlanks(const std::string& s) {
  for (char c : s)
    if (c != '.' && c != ' ') return false;
  return true;
}

}  // namespace

std::string Stored_Upper(const std::string& name) {
  std::string r = name;
  for (char& c : r) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (c == '/') c = '\\';
  }
  return r;
}

std::string Stored_UnsafeReason(const std::string& name) {
  // The setup program's own rule decides; the rest only puts the reason into words.
  if (IsSafeStoredName(name.c_str()) && name.find('\0') == std::string::npos) return "";
  if (name.empty()) return "the name is empty";
  if (IsSeparator(name[0])) return "it is an absolute path";
  if (name.find(':') != std::string::npos) return "it names a drive or stream (':')";
  for (char c : name)
    if ((unsigned char)c < 0x20) return "it contains a control character";
  for (const std::string& part : Components(name)) {
    if (part.empty()) return "it has an empty folder name (a doubled or trailing separator)";
    // Windows drops trailing dots and blanks, so "..." or ". ." climb too.
    if (OnlyDotsAndBlanks(part)) return "it leads out of the target folder ('" + part + "')";
    std::string device = DeviceName(part);
    if (!device.empty()) return "it names the device " + device;
  }
  return "it is not a safe name";
}

std::string Stored_InvalidComponentReason(const std::string& component) {
  if (component.empty()) return "the name is empty";
  for (char c : component) {
    if ((unsigned char)c < 0x20) return "it contains a control character";
    if (std::string("<>:\"/\\|?*").find(c) != std::string::npos)
      return std::string("Windows does not allow '") + c + "' in file names";
  }
  if (component.back() == '.' || component.back() == ' ')
    return "Windows drops a trailing dot or blank from file names";
  std::string device = DeviceName(component);
  if (!device.empty()) return "Windows reserves the name " + device + " for a device";
  return "";
}

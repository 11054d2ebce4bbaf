#include "tunnel/fields.h"
std::optional<std::string> PeerField(const std::string&) { return std::nullopt; }
std::optional<std::string> TypeField(const std::string&) { return std::nullopt; }
std::optional<std::string> ErrorField(const std::string&) { return std::nullopt; }

#include "text/type_keys.h"

#include <map>

std::string TypeKey(std::uint32_t type) {
    static const std::map<std::uint32_t, std::string> keys = {
        {4, "ipv4"},    {5, "full"},     {6, "host"},    {7, "port"},     {8, "symmetric"},
        {12, "lan"},    {13, "loop"},    {16, "tcp4"},   {17, "http4"},   {24, "peer"},
        {32, "ipv6"},   {36, "local6"},  {40, "tcp6"},   {41, "http6"},   {128, "p2p"},
        {129, "local"}, {130, "peer"},   {131, "relay"}, {65535, "offline"},
    };
    auto found = keys.find(type);
    return found != keys.end() ? found->second : "unknown";
}

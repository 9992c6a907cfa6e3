// What is left of a host or service look-up once the socket library has
// answered: the same on BSD sockets and Windows Sockets, whose entries have
// the same fields under their own types.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

// The first IPv4 address of a host entry (network byte order), if it has one.
template <typename HostEntry>
std::optional<std::uint32_t> FirstIPv4Address(const HostEntry* entry, int ipv4Family) {
  if (entry == nullptr || entry->h_addrtype != ipv4Family || entry->h_addr_list == nullptr ||
      entry->h_addr_list[0] == nullptr || entry->h_length <= 0)
    return std::nullopt;
  std::uint32_t address = 0;
  std::memcpy(&address, entry->h_addr_list[0],
              std::min<std::size_t>(sizeof address, static_cast<std::size_t>(entry->h_length)));
  return address;
}

// The port of a service entry (network byte order), if there is one.
template <typename ServiceEntry>
std::optional<std::uint16_t> ServicePort(const ServiceEntry* entry) {
  if (entry == nullptr) return std::nullopt;
  return static_cast<std::uint16_t>(entry->s_port);
}

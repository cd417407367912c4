// Bytes as base64 text (RFC 4648, with padding): how a replay travels inside
// a JSON body to the world-table server.
#pragma once

#include <cstdint>
#include <span>
#include <string>

std::string Base64(std::span<const std::uint8_t> bytes);

// Which certificate authorities the Linux client trusts for a world server
// reached over https. By default the system's own; a player whose tables are
// hosted on a LAN with a certificate authority of its own names that
// authority's certificates in SSL_CERT_FILE, as OpenSSL's own tools take it.
#pragma once

#include <string>

namespace platform::net {

struct TrustedAuthorities {
  std::string file;     // the certificates (PEM) to check servers against; empty: the system's
  std::string problem;  // why the file named cannot be used; empty when it can
};

// What SSL_CERT_FILE asks for, `named` being its value (null when unset). A
// name that is set but leads to no readable file of certificates is a
// problem, said with the name and why: the player set it for a reason, and
// falling back to the system's authorities would only fail later, at the
// server's certificate, without saying that the file was the cause.
[[nodiscard]] TrustedAuthorities TrustedAuthoritiesNamed(const char* named);

}  // namespace platform::net

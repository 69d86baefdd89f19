#pragma once
// Whether this build runs under the address sanitizer: it keeps freed memory in
// quarantine (resident memory tells nothing) and aborts instead of failing an
// allocation that exceeds an address-space limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitized = true;
#else
constexpr bool AddressSanitized = false;
#endif
#else
constexpr bool AddressSanitized = false;
#endif

#ifndef TEVRA_TEST_SANITIZER_H
#define TEVRA_TEST_SANITIZER_H

// Whether the test runs under AddressSanitizer (make test-sanitize). Its redzones and the
// quarantine that holds freed memory back make resident memory no measure of the program's
// own, so tests that bound memory check it only without it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

#endif

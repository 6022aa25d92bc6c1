# Included by the top level, before any library, when KELVARO_FUZZ is ON: with
# a compiler that has libFuzzer (clang) every library is built with its
# coverage and with the sanitizers below, and KELVARO_HAS_LIBFUZZER is set for
# fuzz/.
set(KELVARO_FUZZ_SANITIZERS "address,undefined" CACHE STRING
    "Sanitizers of the fuzz build; \"undefined\" alone runs faster, for long runs")
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *, size_t) { return 0; }
]] KELVARO_HAS_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)

if(KELVARO_HAS_LIBFUZZER)
    add_compile_options(-fsanitize=fuzzer-no-link,${KELVARO_FUZZ_SANITIZERS} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${KELVARO_FUZZ_SANITIZERS})
else()
    message(WARNING "KELVARO_FUZZ: ${CMAKE_CXX_COMPILER_ID} cannot link -fsanitize=fuzzer (clang can); "
                    "the fuzz targets are left out, their corpus replays stay")
endif()

# AddressSanitizer (with its leak checker) and UndefinedBehaviorSanitizer for
# every target defined after this point: the program's libraries, the
# executable, the tests and their harness. Any undefined behaviour ends the
# process, so a test cannot pass over it. scripts/test-sanitized.sh runs the
# suite in this build.
set(THALVEK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${THALVEK_SANITIZER_FLAGS})
add_link_options(${THALVEK_SANITIZER_FLAGS})

# Every executable keeps the libraries it loads until exit, so the GL driver's
# own memory is not taken for leaks (see KeepLibrariesLoaded.c). The
# definition must be in the executable's dynamic symbols to take the place of
# the C library's.
add_library(thalvek_keep_libraries_loaded OBJECT ${CMAKE_CURRENT_LIST_DIR}/sanitizers/KeepLibrariesLoaded.c)
link_libraries(thalvek_keep_libraries_loaded)
add_link_options(-Wl,--export-dynamic-symbol=dlclose)

# THRUMBLEWORX_SANITIZE=address,undefined or thread instruments the whole build.
if(THRUMBLEWORX_SANITIZE)
    set(_flags -fsanitize=${THRUMBLEWORX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${_flags})
    add_link_options(${_flags})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC's flow analysis sees the sanitizers' instrumentation and warns about values
        # that are set on every path; the plain build keeps the warning.
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()
if(THRUMBLEWORX_FUZZ)
    # Instrument everything for coverage; the fuzz targets add the libFuzzer main.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

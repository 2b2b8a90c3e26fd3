# Every target of the project gets the same warnings; CI makes them errors.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(THRUMBLEWORX_WERROR)
    add_compile_options(-Werror)
endif()

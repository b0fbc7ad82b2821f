# A configure that finds none of the optional front-ends' libraries, as on a
# machine with nothing but the compiler, CMake and Ninja: every include and
# library directory and every installed CMake package is hidden from the find
# commands. Used as CMAKE_TOOLCHAIN_FILE (CMake reads it from the environment
# too), with PKG_CONFIG_LIBDIR=/nonexistent for pkg-config modules.
file(GLOB VYR_HIDDEN_PACKAGES LIST_DIRECTORIES true
     /usr/share/cmake/* /usr/lib/cmake/* /usr/lib/*/cmake/* /usr/local/share/cmake/* /usr/local/lib/cmake/*)
file(GLOB VYR_HIDDEN_LIBRARIES LIST_DIRECTORIES true /usr/lib/*-linux-gnu*)
set(CMAKE_IGNORE_PATH /usr/include /usr/local/include /usr/lib /usr/local/lib ${VYR_HIDDEN_LIBRARIES}
    ${VYR_HIDDEN_PACKAGES})

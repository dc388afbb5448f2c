# The build a user downloads: hardened as Debian builds its own packages, and the same
# bytes from the same commit wherever and whenever it is built.
option(VOQ_RELEASE_BUILD "Build as released: hardened, reproducible, the shipped programs alone" OFF)
if(NOT VOQ_RELEASE_BUILD)
    return()
endif()

# Paths of the checkout and of the build folder would otherwise reach the debug
# information and every __FILE__; the later map wins for a build folder inside the tree.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)

if(WIN32)
    # Address-space randomisation with high entropy and no-execute data are what the
    # linker gives today; named here so that a change of default cannot take them away.
    # A PE header's link time would differ from build to build.
    add_link_options(-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--no-insert-timestamp)
    return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection
                    -fcf-protection -Wformat -Werror=format-security)
add_link_options(-Wl,-z,relro -Wl,-z,now)

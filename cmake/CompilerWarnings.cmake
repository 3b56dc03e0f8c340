# Warnings are errors for all of Nodescout's own code. Third-party headers
# (Qt, GoogleTest) come in as system includes and are not checked.
add_library(nodescout_warnings INTERFACE)
target_compile_options(nodescout_warnings INTERFACE
    -Wall
    -Wextra
    -Wpedantic
    -Wshadow
    -Wnon-virtual-dtor
    -Wold-style-cast
    -Wcast-align
    -Woverloaded-virtual
    -Wdouble-promotion
    -Wformat=2
    -Wimplicit-fallthrough
    -Wmissing-declarations
    -Werror)

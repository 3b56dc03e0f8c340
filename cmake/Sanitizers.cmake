# Sanitizer builds. CI runs the whole suite with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the threading tests with ThreadSanitizer.
add_library(nodescout_sanitizers INTERFACE)

if(NODESCOUT_SANITIZE_ADDRESS AND NODESCOUT_SANITIZE_THREAD)
    message(FATAL_ERROR "AddressSanitizer and ThreadSanitizer cannot be combined")
endif()

if(NODESCOUT_SANITIZE_ADDRESS)
    set(_nodescout_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
elseif(NODESCOUT_SANITIZE_THREAD)
    set(_nodescout_sanitize_flags -fsanitize=thread -fno-omit-frame-pointer)
endif()

if(_nodescout_sanitize_flags)
    target_compile_options(nodescout_sanitizers INTERFACE ${_nodescout_sanitize_flags})
    target_link_options(nodescout_sanitizers INTERFACE ${_nodescout_sanitize_flags})
endif()

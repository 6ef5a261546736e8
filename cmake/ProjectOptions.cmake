# Flags and warnings that every Quarnel target carries.
add_library(quarnel_options INTERFACE)
target_compile_features(quarnel_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)

if(MSVC)
    target_compile_options(quarnel_options INTERFACE /W4 /permissive- /utf-8)
else()
    target_compile_options(quarnel_options INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
        -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual)
endif()
# Every byte string that becomes a QString says its encoding (UTF-8 or
# Latin-1), and nothing is used that Qt deprecated up to the oldest Qt the
# program builds with.
target_compile_definitions(quarnel_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_DISABLE_DEPRECATED_UP_TO=0x060400)

if(WIN32)
    # Unicode Win32 API only; keep <windows.h> small and free of min/max macros.
    # Windows 8 brought GetSystemTimePreciseAsFileTime; Qt 6 needs Windows 10.
    target_compile_definitions(quarnel_options INTERFACE
        UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
endif()

if(MINGW)
    # Without the C++ runtime linked in, a program needs MinGW's DLLs beside it
    # and, where they are missing, exits without a word. Programs with Qt are
    # the exception: Qt's DLLs use the shared libstdc++-6.dll, and a second
    # runtime in the program would not catch an exception thrown through a Qt
    # frame. Such programs carry QUARNEL_SHARED_RUNTIME, given by quarnel_gui.
    target_link_options(quarnel_options INTERFACE
        $<$<NOT:$<BOOL:$<TARGET_PROPERTY:QUARNEL_SHARED_RUNTIME>>>:-static>)
endif()

# GCC 12's -Wrestrict misfires inside std::string at -O3 ("literal" +
# string, GCC bug 105651), so a Release build would fail with -Werror on
# correct code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(quarnel_options INTERFACE $<$<CONFIG:Release>:-Wno-restrict>)
endif()

# AddressSanitizer and UndefinedBehaviorSanitizer on every Quarnel target
# (the asan preset; the fuzzers add libFuzzer's instrumentation).
option(QUARNEL_SANITIZERS "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QUARNEL_SANITIZERS)
    target_compile_options(quarnel_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(quarnel_options INTERFACE -fsanitize=address,undefined)
endif()

# Warnings become errors with CMake's own CMAKE_COMPILE_WARNING_AS_ERROR (on in
# the dev and windows-cross presets), which every compiler understands.

# The program's builds on Linux are hardened as Debian hardens its packages,
# whichever preset made them: a stack protector, stack clash protection,
# control-flow protection where the compiler has it, a position-independent
# program whose relocations are resolved at start and then made read-only,
# and, in optimized builds, fortified libc calls (the checks need the
# optimizer; without it glibc warns, an error here). The level replaces any
# the compiler or the command line brings. Sanitizer builds (the asan preset,
# the fuzzers) are left as they are: they are never shipped, and fortified
# calls would hide from the sanitizers the overflows they look for.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT QUARNEL_SANITIZERS)
    include(CheckCXXCompilerFlag)
    include(CheckCXXSourceCompiles)
    include(CheckPIESupported)

    check_pie_supported()
    set_target_properties(quarnel_options PROPERTIES INTERFACE_POSITION_INDEPENDENT_CODE ON)
    target_link_options(quarnel_options INTERFACE LINKER:-z,relro,-z,now)

    target_compile_options(quarnel_options INTERFACE -fstack-protector-strong)
    foreach(flag IN ITEMS -fstack-clash-protection -fcf-protection)
        string(MAKE_C_IDENTIFIER "QUARNEL_HAS${flag}" supported)
        check_cxx_compiler_flag(${flag} ${supported})
        if(${supported})
            target_compile_options(quarnel_options INTERFACE ${flag})
        endif()
    endforeach()

    # Level 3 also checks sizes known only while the program runs, with a
    # builtin GCC 12 and clang 9 have; glibc before 2.34 takes it as level 2.
    check_cxx_source_compiles([[
        #if !defined(__has_builtin) || !__has_builtin(__builtin_dynamic_object_size)
        #error no __builtin_dynamic_object_size
        #endif
        int main() { return 0; }]] QUARNEL_HAS_DYNAMIC_OBJECT_SIZE)
    if(QUARNEL_HAS_DYNAMIC_OBJECT_SIZE)
        set(fortify_level 3)
    else()
        set(fortify_level 2)
    endif()
    target_compile_options(quarnel_options INTERFACE
        "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortify_level}>")
endif()

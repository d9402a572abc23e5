# Shared build settings and the module convention.
#
# Every folder under src/ is one module. Its sources are found by name:
#   *.cpp        portable code (no <windows.h>), built natively and for Windows
#   *_win.cpp    Win32 code, built for Windows only
#   *_posix.cpp  its native counterpart, built natively only
# Each module becomes a static library kestin_<module> in both trees, so adding
# a file never needs a build-file edit.

if(KESTIN_WINDOWS)
  # Small, self-contained Windows binaries: no exceptions, no RTTI, no C++
  # runtime DLLs; only system DLLs are imported. No -fdata-sections: for PE
  # targets it gives every variable a section of its own with contents, even a
  # zero-initialised one, so nothing would be left for .bss and the zeros
  # would take room in the file. No jump tables: a chain of compares is
  # smaller here than a table whose every entry also needs a relocation.
  # -Oz: the size of the release is counted, and nothing outside the cabinet
  # decoders (which keep -Os, src/uncab) runs long enough to feel it.
  set(KESTIN_WIN_FLAGS -Oz -fno-exceptions -fno-rtti
      -ffunction-sections -fno-stack-protector -fno-ident
      -fno-threadsafe-statics -fno-jump-tables)
  # Applied to product code only (modules, setup.exe, uncab.dll); tests build
  # as ordinary C++ with exceptions.
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 STRICT)
  # Reproducible images: no link time in the headers, so the same source gives
  # the same setup.exe and uncab.dll byte for byte (with or without the tests
  # in the tree, on any machine).
  add_link_options(-Wl,--no-insert-timestamp)
  set(KESTIN_WIN_LINK -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections
      -Wl,--no-seh -Wl,--enable-auto-image-base)
  # System DLLs only; linked after every module library.
  set(KESTIN_SYSTEM_LIBS kernel32 user32 gdi32 advapi32 shell32 ole32 comctl32 msvcrt)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(KESTIN_ARCH i686)
    # 32-bit code needs no unwind tables to be walked or to have exceptions
    # dispatched through it, and the release's size is counted.
    list(APPEND KESTIN_WIN_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables)
    # The release is i686 and must stay small. Arguments are pushed rather
    # than stored into a frame-wide area, there is no frame pointer, and the
    # stack is kept to the 4-byte alignment the system itself guarantees (no
    # code here needs more). Pushed arguments need stack probing off, so no
    # function may grow the stack by close to a page at once: the guard page
    # would be stepped over. Frames are capped well below a page instead, and
    # variable-length arrays are refused.
    list(APPEND KESTIN_WIN_FLAGS -fomit-frame-pointer -mpreferred-stack-boundary=2
         -mno-accumulate-outgoing-args -mno-stack-arg-probe
         -Wframe-larger-than=3072 -Werror=frame-larger-than=3072 -Werror=vla)
  else()
    set(KESTIN_ARCH x86_64)
    # 64-bit stack walks and exception dispatch (a crash report, a debugger)
    # read every function's unwind data: the compiler emits it by default.
  endif()
else()
  if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo)
  endif()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  if(KESTIN_SANITIZE)
    set(KESTIN_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${KESTIN_SAN_FLAGS})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
      # Coverage for the fuzz targets reaches into the libraries they drive.
      add_compile_options(-fsanitize=fuzzer-no-link)
    endif()
    add_link_options(${KESTIN_SAN_FLAGS})
  endif()
endif()

include_directories(${CMAKE_SOURCE_DIR}/src)

# kestin_sources(OUT DIR) -- the sources of DIR for this build by the naming
# rule: program entry files (*_main.cpp, *_main_win.cpp) belong to their
# executables and are left out; *_win.cpp only for Windows, *_posix.cpp only
# natively; everything else always.
function(kestin_sources out dir)
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  set(srcs)
  foreach(f ${all})
    if(f MATCHES "_main(_win)?\\.cpp$")
    elseif(f MATCHES "_win\\.c(pp)?$")
      if(KESTIN_WINDOWS)
        list(APPEND srcs ${f})
      endif()
    elseif(f MATCHES "_posix\\.c(pp)?$")
      if(NOT KESTIN_WINDOWS)
        list(APPEND srcs ${f})
      endif()
    else()
      list(APPEND srcs ${f})
    endif()
  endforeach()
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# kestin_module(NAME [DEPS lib...]) -- static library from src/NAME by the naming rule above.
function(kestin_module name)
  cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
  kestin_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT srcs)
    add_library(kestin_${name} INTERFACE)
    if(M_DEPS)
      target_link_libraries(kestin_${name} INTERFACE ${M_DEPS})
    endif()
  else()
    add_library(kestin_${name} STATIC ${srcs})
    if(M_DEPS)
      target_link_libraries(kestin_${name} PUBLIC ${M_DEPS})
    endif()
    if(KESTIN_WINDOWS)
      target_compile_options(kestin_${name} PRIVATE ${KESTIN_WIN_FLAGS})
      target_link_libraries(kestin_${name} PUBLIC ${KESTIN_SYSTEM_LIBS})
    endif()
  endif()
endfunction()

# Gives a Windows program setup.exe's resources and the setup program's own
# (icon, bitmap, cursors, the manifest and with it UTF-8 as its code page). The resource compiler reports
# no dependencies, so the files of res/ are named: a changed manifest must
# still reach the program. Call it in the folder that makes the target.
function(kestin_with_setup_resources target)
  set(rc ${CMAKE_BINARY_DIR}/src/app/setup.rc ${CMAKE_BINARY_DIR}/src/app/program.rc)
  target_sources(${target} PRIVATE ${rc})
  file(GLOB res_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${res_files}")
endfunction()

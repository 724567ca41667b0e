# Compiler and linker hardening for every target, chosen per toolchain. On
# Linux: stack protector, fortified libc calls, stack clash protection,
# position-independent executables, and relocations made read-only at start
# (full RELRO). Each flag is used only where the toolchain takes it. -fcf-protection marks our own code, but on
# Debian 12 the linked programs carry no IBT/SHSTK property: the C library's
# start files lack it, and the linker keeps only what every object has.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

if(MSVC)
  add_compile_options(/guard:cf)
  add_link_options(/guard:cf)
  check_linker_flag(CXX /CETCOMPAT TOVRIK_HAVE_CETCOMPAT)
  if(TOVRIK_HAVE_CETCOMPAT)
    add_link_options(/CETCOMPAT)
  endif()
  return()
endif()

# MinGW-w64: executables that the loader may place anywhere in the 64-bit
# address space (ASLR with high entropy) and whose data never runs (DEP),
# with the stack protector, which there lives in libssp, and fortified calls,
# which use it too. GCC 12 for MinGW fails with an internal error under
# -fstack-clash-protection, and -fcf-protection and RELRO have no meaning
# for PE executables, so none of those is used there.
if(MINGW)
  check_cxx_compiler_flag(-fstack-protector-strong TOVRIK_HAVE_STACK_PROTECTOR)
  if(TOVRIK_HAVE_STACK_PROTECTOR)
    add_compile_options(-fstack-protector-strong)
    add_link_options(-fstack-protector-strong) # links libssp
  endif()
  if(NOT TOVRIK_SANITIZE)
    add_compile_options($<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  endif()
  check_linker_flag(CXX "LINKER:--dynamicbase,--high-entropy-va,--nxcompat" TOVRIK_HAVE_PE_ASLR)
  if(TOVRIK_HAVE_PE_ASLR)
    add_link_options("LINKER:--dynamicbase,--high-entropy-va,--nxcompat")
  endif()
  return()
endif()

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "TOVRIK_HAVE${flag}" have)
  check_cxx_compiler_flag(${flag} ${have})
  if(${have})
    add_compile_options(${flag})
  endif()
endforeach()

# FORTIFY_SOURCE works only with optimisation, so not in Debug builds; the
# sanitizers bring checks of their own.
if(NOT TOVRIK_SANITIZE)
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()

check_linker_flag(CXX "LINKER:-z,relro,-z,now" TOVRIK_HAVE_RELRO_NOW)
if(TOVRIK_HAVE_RELRO_NOW)
  add_link_options("LINKER:-z,relro,-z,now")
endif()

# Sanitizer builds: ZF_SANITIZE is "address;undefined" or "thread" (the asan and tsan presets).
set(ZF_SANITIZE "" CACHE STRING "Sanitizers to enable (address;undefined or thread)")
if(ZF_SANITIZE)
  string(REPLACE ";" "," _zf_san "${ZF_SANITIZE}")
  add_compile_options(-fsanitize=${_zf_san} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${_zf_san})
  if("undefined" IN_LIST ZF_SANITIZE)
    # Undefined behaviour ends the program like any other report, so no finding scrolls past in a log.
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# Run-time options for every program the build and the tests start. Any report fails: a distinct exit
# code for ASan/TSan, an abort for UBSan. Leaks inside Qt's own plugins are suppressed with a reason
# each (tests/lsan.supp); leaks of ours are not.
set(ZF_SANITIZER_ENV
  "ASAN_OPTIONS=exitcode=66:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=66"
  "TSAN_OPTIONS=halt_on_error=0:exitcode=66:suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp"
  # GLib's slice allocator hands blocks between the event-loop threads under its own futex lock, which
  # ThreadSanitizer cannot see; plain malloc it can. (Suppressing GLib instead would also drop the
  # eventfd wake-ups through which TSan sees every queued call cross threads.)
  "G_SLICE=always-malloc")

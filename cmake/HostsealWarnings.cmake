# Warning flags for the project's own targets, added privately so that users of the
# installed library never inherit them.
function(hostseal_target_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough
    # clang's -Wconversion also warns on every signed index into a container, which GCC's
    # does not; GCC's set is the one the code is kept clean under.
    $<$<CXX_COMPILER_ID:Clang>:-Wno-sign-conversion>
    $<$<BOOL:${HOSTSEAL_WARNINGS_AS_ERRORS}>:-Werror>)
endfunction()

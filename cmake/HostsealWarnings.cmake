# Warning flags for the project's own targets, added privately so that users of the
# installed library never inherit them.
function(hostseal_target_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough
    $<$<BOOL:${HOSTSEAL_WARNINGS_AS_ERRORS}>:-Werror>)
endfunction()

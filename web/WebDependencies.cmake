# What the WebAssembly build takes from the machine. emcc must not see
# /usr/include as a whole (its glibc headers clash with emscripten's libc), so
# Boost's and nlohmann's headers are reached through a folder holding only
# links to them.
set(LENNARD_SYSTEM_INCLUDE /usr/include CACHE PATH "Where the boost and nlohmann header folders are")
set(web_include ${PROJECT_BINARY_DIR}/system-headers)
file(MAKE_DIRECTORY ${web_include})
foreach(folder boost nlohmann)
  if(NOT EXISTS ${LENNARD_SYSTEM_INCLUDE}/${folder})
    message(FATAL_ERROR "${LENNARD_SYSTEM_INCLUDE}/${folder} not found: run scripts/install-deps.sh")
  endif()
  file(CREATE_LINK ${LENNARD_SYSTEM_INCLUDE}/${folder} ${web_include}/${folder} SYMBOLIC)
endforeach()

add_library(Boost::headers INTERFACE IMPORTED)
target_include_directories(Boost::headers INTERFACE ${web_include})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${web_include})
# One thread: threads in a browser need cross-origin isolation, which a page
# opened from a file does not have. The physics runs its loops on the caller.
add_library(Threads::Threads INTERFACE IMPORTED)

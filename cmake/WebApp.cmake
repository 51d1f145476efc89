# Writes the page's service worker (DIR/sw.js) from its template (TEMPLATE,
# web/sw.js): the static files it precaches, those of the page's list that
# the build made, and the cache's name, a hash of them all. Run as a script
# (cmake -P) once the game and the editor are built, so that a new build
# gets a new cache and an unchanged one keeps its own.
set(candidates index.html page.css page.js levelcode.js quibbo.js quibbo.wasm
    editor.html editor.css editor.js leveledit.js leveledit.wasm manifest.webmanifest)
file(GLOB icons RELATIVE ${DIR} ${DIR}/icons/*)
list(SORT icons)
set(files "")
set(sums "")
foreach(name ${candidates} ${icons})
  if(EXISTS ${DIR}/${name})
    file(SHA256 ${DIR}/${name} sum)
    string(APPEND sums "${name} ${sum}\n")
    list(APPEND files "'${name}'")
  endif()
endforeach()
string(SHA256 build "${sums}")
string(SUBSTRING ${build} 0 16 BUILD)
list(JOIN files ", " FILES)
configure_file(${TEMPLATE} ${DIR}/sw.js @ONLY)

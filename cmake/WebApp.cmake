# Writes the page's service worker (DIR/sw.js) from its template (TEMPLATE,
# web/sw.js): the static files it precaches, those of web/ copied beside the
# programs (ASSETS) and the game's and the editor's programs, and the
# cache's name, a hash of them all. Run as a script (cmake -P) once the game
# and the editor are built, so that a new build gets a new cache and an
# unchanged one keeps its own.
set(programs quibbo.js quibbo.wasm leveledit.js leveledit.wasm)
list(SORT ASSETS)
set(files "")
set(sums "")
foreach(name ${ASSETS} ${programs})
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

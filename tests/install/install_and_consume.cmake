# Installs the build tree BUILD_DIR under WORK_DIR/prefix, then configures, builds and runs the
# outside project SOURCE_DIR against that prefix with compiler CXX and flags FLAGS.
file(REMOVE_RECURSE ${WORK_DIR})

function(run step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${step} failed (${result})")
    endif()
endfunction()

run("installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix)
run("configuring the outside project" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build
    -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${FLAGS}"
    -DCMAKE_BUILD_TYPE=Release)
run("building the outside project" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("running the outside program" ${WORK_DIR}/build/consumer)

# The row-deletion confirmation window, on the grid component's small test grid (included
# from tests/CMakeLists.txt).
add_executable(history_ui_tests ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TForm1Test.cpp)
target_include_directories(history_ui_tests PRIVATE ${PROJECT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/tests/gridevents)
target_link_libraries(history_ui_tests PRIVATE qor28_history_ui qor28_gridevents Qt6::Test
    GTest::gtest)
target_compile_definitions(history_ui_tests PRIVATE
    QOR28_SCREENSHOT_DIR="${PROJECT_BINARY_DIR}/screenshots")
gtest_discover_tests(history_ui_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

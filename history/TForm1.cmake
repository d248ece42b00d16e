# The window that lists the rows about to be deleted, in a library of its own beside the
# change-history recorder (included from the top-level CMakeLists.txt).
add_library(qor28_history_ui STATIC ${PROJECT_SOURCE_DIR}/history/TForm1.cpp)
target_include_directories(qor28_history_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qor28_history_ui PUBLIC qor28_ui Qt6::Widgets)

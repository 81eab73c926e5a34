#include <gtest/gtest.h>
int main_placeholder;

#include <gtest/gtest.h>

#include <TranslatorRoster.h>

#include "app/tevra.h"
#include "model/globals.h"

// Platform and system tests run inside the real application object, as the program does:
// catalogues built, screen measured, settings at their defaults.
int main(int argc, char** argv)
{
	testing::InitGoogleTest(&argc, argv);
	tr = BTranslatorRoster::Default();
	char arg0[] = "tevra";
	char* args[] = {arg0, nullptr};
	tevra app(1, args);
	return RUN_ALL_TESTS();
}

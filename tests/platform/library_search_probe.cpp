// A DLL that lies outside the programs' folder, for the test of the
// library search.
extern "C" __declspec(dllexport) int librarySearchProbe()
{
    return 42;
}

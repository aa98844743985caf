// The server component's file. The RAS service of the emulated network
// (dmsim) takes the component as installed when the AdminDLL key's DLLPath
// names this file; what it does then is dmsim's. The library itself only
// tells what it is.

extern "C" {

__attribute__((visibility("default"))) const char* DialminderComponentVersion()
{
    return "Dialminder server component V1.40";
}

}

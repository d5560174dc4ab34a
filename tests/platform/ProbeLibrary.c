/* A tiny library that the platform tests load by its "Probe.dll" name. */
__attribute__((visibility("default"))) int ProbeAnswer(void)
{
    return 42;
}

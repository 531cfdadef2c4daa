package probe;

/** Says which module it runs in, then prints the system properties named by its arguments. */
public class ModuleProbe {
    public static void main(String[] args) {
        System.out.println("module " + ModuleProbe.class.getModule().getName());
        for (String name : args) System.out.println(name + "=" + System.getProperty(name));
    }
}

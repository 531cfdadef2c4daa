package app;

import java.awt.BorderLayout;
import java.io.IOException;
import java.util.Map;
import java.util.stream.IntStream;
import javax.swing.BorderFactory;
import javax.swing.JButton;
import javax.swing.JLabel;
import javax.swing.JMenu;
import javax.swing.JMenuBar;
import javax.swing.JMenuItem;
import javax.swing.JPanel;
import javax.swing.JScrollPane;
import javax.swing.JSplitPane;
import javax.swing.JTabbedPane;
import javax.swing.JTable;
import javax.swing.JTextArea;
import javax.swing.JTextField;
import javax.swing.JTree;
import javax.swing.table.DefaultTableModel;
import javax.swing.tree.DefaultMutableTreeNode;

/**
 * What a desktop app does before its first window: the work of Workload
 * (settings, logging, regular expressions, streams, dates), then it builds
 * its Swing components. Headless, so that it runs without a display; it
 * exits once everything is built.
 */
public class Desktop {
    public static void main(String[] args) throws IOException {
        System.setProperty("java.awt.headless", "true");
        Workload workload = Workload.prepare();
        JPanel root = buildWindowContent(workload.config, workload.status);
        Workload.LOG.fine("built " + root.getComponentCount() + " components");
        System.exit(root.getComponentCount() > 0 ? 0 : 1);
    }

    static JPanel buildWindowContent(Map<String, String> config, String status) {
        JPanel root = new JPanel(new BorderLayout());
        JMenuBar menus = new JMenuBar();
        JMenu file = new JMenu("File");
        for (String recent : config.getOrDefault("recent", "").split(";")) file.add(new JMenuItem(recent));
        menus.add(file);
        root.add(menus, BorderLayout.NORTH);
        DefaultMutableTreeNode top = new DefaultMutableTreeNode("Projects");
        IntStream.range(0, 20).forEach(i -> top.add(new DefaultMutableTreeNode("Project " + i)));
        DefaultTableModel model = new DefaultTableModel(new Object[] {"Name", "Size", "Modified"}, 0);
        IntStream.range(0, 200).forEach(i -> model.addRow(new Object[] {"file" + i, i * 1024, status}));
        JTabbedPane tabs = new JTabbedPane();
        tabs.addTab("Files", new JScrollPane(new JTable(model)));
        tabs.addTab("Notes", new JScrollPane(new JTextArea(status, 20, 60)));
        root.add(new JSplitPane(JSplitPane.HORIZONTAL_SPLIT, new JScrollPane(new JTree(top)), tabs), BorderLayout.CENTER);
        JPanel bottom = new JPanel();
        bottom.setBorder(BorderFactory.createEtchedBorder());
        bottom.add(new JLabel(status));
        bottom.add(new JTextField(20));
        bottom.add(new JButton("OK"));
        root.add(bottom, BorderLayout.SOUTH);
        root.setSize(Integer.parseInt(config.get("window.width")), Integer.parseInt(config.get("window.height")));
        root.doLayout();
        return root;
    }
}

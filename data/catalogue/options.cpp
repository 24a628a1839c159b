// The option items of the ledger menus. Items named by the suite's libraries
// keep those names; the others are named after what they do, with the prefix
// of their ledger, because the launcher treats names starting with "pa", "jc"
// and "trk" as payroll, job-cost and tracker options.

#include "varnex/data/options.h"

namespace varnex::data {

namespace {

const MenuOption kOptions[] = {
    {0, 0, 0, "acctmaint", "Maintenance des comptes"},
    {0, 0, 1, "budmaint", "Maintenance des budgets"},
    {0, 0, 2, "fsmaint", "Maintenance des états financiers"},
    {0, 0, 3, "rptmaint", "Maintenance des rapports"},
    {0, 1, 0, "gljrnent", "Écritures au journal général"},
    {0, 1, 1, "glsubent", "Écritures aux journaux auxiliaires"},
    {0, 1, 2, "bankrec", "Conciliation bancaire"},
    {0, 1, 3, "cashtrx", "Transactions de caisse"},
    {0, 2, 0, "acctview", "Affichage des comptes"},
    {0, 2, 1, "glsubjrn", "Journaux auxiliaires"},
    {0, 2, 2, "gljrnrpt", "Journal général"},
    {0, 2, 3, "trialbal", "Balance de vérification"},
    {0, 2, 4, "glledger", "Grand livre"},
    {0, 2, 5, "finstmt", "États financiers"},
    {0, 2, 6, "budrpt", "Budgets"},
    {0, 2, 7, "gsttaxrpt", "Rapport TPS/TVH et TVQ"},
    {0, 2, 8, "chartacct", "Charte des comptes"},
    {0, 2, 9, "rptprint", "Impression des rapports"},
    {0, 3, 0, "glupdate", "Mise à jour du journal général"},
    {0, 3, 1, "glsubupd", "Mise à jour des journaux auxiliaires"},
    {0, 3, 2, "gleom", "Procédure de fin de mois"},
    {0, 3, 3, "gleoy", "Procédure de fin d'année"},
    {1, 0, 0, "climaint", "Maintenance des clients"},
    {1, 0, 1, "slsmmaint", "Maintenance des vendeurs"},
    {1, 0, 2, "arrptmaint", "Maintenance des rapports"},
    {1, 1, 0, "arsales", "Ventes et ajustements"},
    {1, 1, 1, "arcashrcpt", "Entrée des recettes"},
    {1, 2, 0, "clview", "Affichage des clients"},
    {1, 2, 1, "araging", "Âge des comptes"},
    {1, 2, 2, "arstmt", "États de comptes"},
    {1, 2, 3, "arlabels", "Étiquettes clients"},
    {1, 2, 4, "arrptprint", "Impression des rapports"},
    {1, 2, 5, "arclilist", "Liste des clients"},
    {1, 2, 6, "ardeposit", "Liste des dépôts"},
    {1, 2, 7, "arholdback", "List of holdbacks"},
    {1, 3, 0, "arcredhold", "Suspendre le crédit"},
    {1, 3, 1, "areom", "Procédure de fin de mois"},
    {1, 3, 2, "areoy", "Procédure de fin d'année"},
    {1, 3, 3, "arpurge", "Épuration de l'historique"},
    {2, 0, 0, "supmaint", "Maintenance des fournisseurs"},
    {2, 0, 1, "aprptmaint", "Maintenance des rapports"},
    {2, 1, 0, "purchent", "Achats"},
    {2, 1, 1, "apdisb", "Déboursés"},
    {2, 1, 2, "apchqmod", "Modification des chèques à émettre"},
    {2, 1, 3, "aprecur", "Entrée des chèques répétitifs"},
    {2, 2, 0, "supview", "Affichage des fournisseurs"},
    {2, 2, 1, "apaging", "Âge des comptes"},
    {2, 2, 2, "apchqlist", "Liste des chèques à émettre"},
    {2, 2, 3, "aprecurlist", "Liste des chèques répétitifs"},
    {2, 2, 4, "aplabels", "Étiquettes fournisseurs"},
    {2, 2, 5, "aprptprint", "Impression des rapports"},
    {2, 2, 6, "apsuplist", "Liste des fournisseurs"},
    {2, 3, 0, "apchqprint", "Impression et mise à jour des chèques"},
    {2, 3, 1, "apeom", "Procédure de fin de mois"},
    {2, 3, 2, "apeoy", "Procédure de fin d'année"},
    {2, 3, 3, "appurge", "Épuration de l'historique"},
    {3, 0, 0, "faspecial", "Maintenance des prix spéciaux"},
    {3, 0, 1, "fastatmaint", "Maintenance des rapports de statistiques"},
    {3, 1, 0, "faentry", "Entrée des factures/commandes/soumissions"},
    {3, 1, 1, "faservice", "Entrée des factures de service"},
    {3, 2, 0, "faview", "Affichage des factures/commandes/soumissions"},
    {3, 2, 1, "fastatview", "Affichage des statistiques de ventes"},
    {3, 2, 2, "faregister", "Registre des factures/commandes/soumissions"},
    {3, 2, 3, "falist", "Liste des factures/commandes/soumissions"},
    {3, 2, 4, "fastatprint", "Rapports de statistiques de ventes"},
    {3, 2, 5, "fashiplabel", "Étiquettes de livraison"},
    {3, 2, 6, "facommrpt", "Rapport des commissions"},
    {3, 2, 7, "facorelist", "Liste des cores"},
    {3, 2, 8, "faspeclist", "Liste des prix spéciaux"},
    {3, 3, 0, "fapurgeord", "Épuration des commandes/soumissions"},
    {3, 3, 1, "faeom", "Procédure de fin de mois"},
    {3, 3, 2, "faeoy", "Procédure de fin d'année"},
    {3, 3, 3, "fapurgehist", "Épuration de l'historique des factures"},
    {3, 3, 4, "fabatch", "Batch update"},
    {4, 0, 0, "sysparams", "Maintenance des paramètres"},
    {4, 0, 1, "usermaint", "Maintenance des usagers"},
    {4, 0, 2, "compsetup", "Maintenance des compagnies"},
    {4, 0, 3, "stmtfmt", "Maintenance du format d'état de compte"},
    {4, 0, 4, "chqfmt", "Maintenance du format de chèque"},
    {4, 0, 5, "invfmt", "Maintenance du format des factures/commandes/soumissions"},
    {4, 0, 6, "pofmt", "Maintenance du format de bon d'achat"},
    {4, 0, 7, "prtmaint", "Maintenance des imprimantes"},
    {4, 2, 0, "complist", "Liste des compagnies"},
    {4, 2, 1, "userlist", "Liste des usagers"},
    {7, 0, 0, "empmaint", "Maintenance des employés"},
    {7, 0, 1, "parptmaint", "Maintenance des rapports"},
    {7, 0, 2, "pataxmaint", "Maintenance des taux de taxes"},
    {7, 0, 3, "parl1amt", "Maintenance des montants Relevé 1"},
    {7, 0, 4, "pat4amt", "Maintenance des montants T4"},
    {7, 0, 5, "parl1fmt", "Maintenance du format Relevé 1"},
    {7, 0, 6, "pat4fmt", "Maintenance du format T4"},
    {7, 0, 7, "pachqfmt", "Maintenance du format des chèques"},
    {7, 0, 8, "paworkcode", "Maintenance des codes de travail"},
    {7, 0, 9, "padeptmaint", "Maintenance des départements"},
    {7, 0, 10, "paroefmt", "Maintenance du format relevé d'emploi"},
    {7, 0, 11, "pactrlmaint", "Maintenance des contrôles"},
    {7, 0, 12, "paytypemaint", "Maintenance des types de paie"},
    {7, 0, 13, "paunionmaint", "Maintenance des syndicats"},
    {7, 0, 14, "patrademaint", "Maintenance des codes metiers"},
    {7, 1, 0, "paentry", "Entrée des paies"},
    {7, 1, 1, "paresults", "Modification des résultats"},
    {7, 2, 0, "empview", "Affichage des employés"},
    {7, 2, 1, "paentrylist", "Liste des entrées de paie"},
    {7, 2, 2, "paregister", "Registre des paies"},
    {7, 2, 3, "parptprint", "Impression des rapports"},
    {7, 2, 4, "paremit", "Rapport des remises"},
    {7, 2, 5, "pahistreg", "Registre de l'historique"},
    {7, 2, 6, "paccqrpt", "Rapport CCQ"},
    {7, 3, 0, "pachqprint", "Impression des chèques de paie"},
    {7, 3, 1, "paupdate", "Mise à jour des paies"},
    {7, 3, 2, "paeoy", "Procédure de fin d'année"},
    {7, 3, 3, "parl1print", "Impression des Relevé 1"},
    {7, 3, 4, "pat4print", "Impression des T4"},
    {7, 3, 5, "pafiles", "Création des fichiers de paie"},
    {7, 3, 6, "paroeprint", "Impression des relevés d'emploi"},
    {5, 0, 0, "prodmaint", "Maintenance des produits"},
    {5, 0, 1, "storemaint", "Maintenance des magasins"},
    {5, 0, 2, "ivrptmaint", "Maintenance des rapports"},
    {5, 0, 3, "prodcodechg", "Changer code de produit"},
    {5, 0, 4, "corebank", "Maintenance of core bank"},
    {5, 1, 0, "ivadjust", "Entrée des ajustements d'inventaire"},
    {5, 1, 1, "ivphysent", "Entrée du compte physique"},
    {5, 2, 0, "prodview", "Affichage des produits"},
    {5, 2, 1, "ivtrxlist", "Liste des transactions"},
    {5, 2, 2, "ivlabels", "Étiquettes d'inventaire"},
    {5, 2, 3, "ivrptprint", "Impression des rapports"},
    {5, 2, 4, "ivkitlist", "Liste des ensembles"},
    {5, 2, 5, "ivcountlist", "Liste de prise de l'inventaire"},
    {5, 2, 6, "ivphysanal", "Analyse du compte physique"},
    {5, 2, 7, "ivstorelist", "Liste des magasins"},
    {5, 2, 8, "ivseriallist", "Liste des numéros de série"},
    {5, 3, 0, "ivphysupd", "Mise à jour du compte physique"},
    {5, 3, 1, "iveom", "Procédure de fin de mois"},
    {5, 3, 2, "iveoy", "Procédure de fin d'année"},
    {5, 3, 3, "ivserpurge", "Épuration des numéros de série"},
    {6, 0, 0, "cfstatmaint", "Maintenance des rapports de statistiques"},
    {6, 1, 0, "cfentry", "Entrée des bons d'achats"},
    {6, 1, 1, "stockrcv", "Entrée des réceptions"},
    {6, 1, 2, "cfautopo", "Bons d'achats automatiques"},
    {6, 2, 0, "cfview", "Affichage des bons d'achats"},
    {6, 2, 1, "cfstatview", "Affichage des statistiques d'achats"},
    {6, 2, 2, "cfrcvlist", "Liste des achats reçus"},
    {6, 2, 3, "cfopenlist", "Liste des achats en suspens"},
    {6, 2, 4, "cfrcvlabels", "Étiquettes des réceptions"},
    {6, 2, 5, "cfstatprint", "Rapports de statistiques d'achats"},
    {6, 3, 0, "cfeoy", "Procédure de fin d'année"},
    {6, 3, 1, "cfpurge", "Épuration des bons d'achats"},
    {8, 0, 0, "trkfilemaint", "Maintenance des dossiers"},
    {8, 0, 1, "trkrptmaint", "Maintenance des rapports"},
    {8, 0, 2, "trkstmtfmt", "Maintenance du format d'état de compte"},
    {8, 1, 0, "trkentry", "Entrée des transactions"},
    {8, 2, 0, "trkview", "Affichage des dossiers"},
    {8, 2, 1, "trkrptprint", "Impression des rapports"},
    {8, 2, 2, "trktrxlist", "Liste des transactions"},
    {8, 2, 3, "trkaging", "Age des dossiers"},
    {8, 2, 4, "trkstmt", "Impression des états de compte"},
    {8, 2, 5, "trklabels", "Impression des étiquettes"},
    {8, 3, 0, "trkeom", "Procédure de fin de mois"},
    {8, 3, 1, "trkeoy", "Procédure de fin d'année"},
    {9, 0, 0, "jcctrlmaint", "Maintenance of controls"},
    {9, 0, 1, "jcprojmaint", "Maintenance of projects"},
    {9, 0, 2, "jcbudget", "Projects budgets entry"},
    {9, 0, 3, "jcphasemaint", "Maintenance of phases"},
    {9, 0, 4, "jcelemmaint", "Maintenance of elements"},
    {9, 0, 5, "jcsectmaint", "Maintenance of sectors"},
    {9, 0, 6, "jcunitmaint", "Maintenance of units"},
    {9, 0, 7, "jcrptmaint", "Maintenance of reports"},
    {9, 1, 0, "jcentry", "Transaction entry"},
    {9, 2, 0, "jcprojview", "Display of projects"},
    {9, 2, 1, "jctrxlist", "List of transactions"},
    {9, 2, 2, "jcrptprint", "Print reports"},
    {9, 2, 3, "jccostsheet", "Cost sheet report"},
    {9, 2, 4, "jcpreinv", "Pre-invoicing report"},
    {9, 2, 5, "jcporecon", "Purchase order reconciliation"},
    {9, 2, 6, "jcprojlist", "List of projects"},
    {9, 2, 7, "jcphaselist", "List of phases"},
    {9, 2, 8, "jcelemlist", "List of elements"},
    {9, 3, 0, "jcupdate", "Update transactions"},
    {9, 3, 1, "jceom", "End of month procedure"},
    {9, 3, 2, "jceoy", "End of year procedure"},
    {9, 3, 3, "jcfiles", "Create job cost files"},
};

} // namespace

const QList<MenuOption>& MenuOptions()
{
    static const QList<MenuOption> options(std::begin(kOptions), std::end(kOptions));
    return options;
}

const MenuOption* FindMenuOption(const QString& name)
{
    for (const MenuOption& o : MenuOptions())
        if (name.compare(QLatin1String(o.name), Qt::CaseInsensitive) == 0)
            return &o;
    return nullptr;
}

int RightsBit(int ledger, int group, int item)
{
    return (ledger & 0x7F) * 105 + (group & 0x7F) * 15 + item;
}

bool HasRight(const QByteArray& rights, int ledger, int group, int item)
{
    const int bit = RightsBit(ledger, group, item);
    if (bit < 0 || bit / 8 >= rights.size())
        return false;
    return (static_cast<unsigned char>(rights[bit / 8]) >> (bit % 8)) & 1;
}

void SetRight(QByteArray& rights, int ledger, int group, int item, bool granted)
{
    if (rights.size() < RightsMapSize)
        rights.append(QByteArray(RightsMapSize - rights.size(), '\0'));
    const int bit = RightsBit(ledger, group, item);
    if (bit < 0 || bit / 8 >= rights.size())
        return; // beyond the map: such an option can never be granted
    const auto mask = static_cast<char>(1 << (bit % 8));
    if (granted)
        rights[bit / 8] = static_cast<char>(rights[bit / 8] | mask);
    else
        rights[bit / 8] = static_cast<char>(rights[bit / 8] & ~mask);
}

QByteArray RightsNone()
{
    return QByteArray(RightsMapSize, '\0');
}

QByteArray RightsAll()
{
    QByteArray rights = RightsNone();
    for (const MenuOption& o : MenuOptions())
        SetRight(rights, o.ledger, o.group, o.item, true);
    return rights;
}

QByteArray RightsFor(const QStringList& optionNames, QStringList* unknown)
{
    QByteArray rights = RightsNone();
    for (const QString& raw : optionNames) {
        const QString name = raw.trimmed();
        if (name.isEmpty())
            continue;
        if (const MenuOption* o = FindMenuOption(name))
            SetRight(rights, o->ledger, o->group, o->item, true);
        else if (unknown)
            unknown->append(name);
    }
    return rights;
}

} // namespace varnex::data
